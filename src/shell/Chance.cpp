#include "shell/Chance.h"

#include <QRandomGenerator>

namespace quorvane {

namespace {
std::function<double()> g_source;
}

double RandomFraction()
{
    return g_source ? g_source() : QRandomGenerator::global()->generateDouble();
}

void SetRandomFractionSource(std::function<double()> source) { g_source = std::move(source); }

} // namespace quorvane
