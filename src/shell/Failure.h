#pragma once
#include <QString>
#include <stdexcept>

namespace quorvane {

// A failed step of a handler. Its text is the description that the error
// report shows; helpers throw it, trapping handlers catch and report it.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& description)
        : std::runtime_error(description.toStdString()), text(description) {}
    QString text;
};

} // namespace quorvane
