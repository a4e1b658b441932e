#include "shell/ErrorReport.h"

#include <QCoreApplication>

#include <exception>

namespace quorvane {

QString ErrorReportText(const QString& description, const QString& procedure, int step,
                        const QString& project)
{
    // The location is a fixed form people quote in reports; only the words around it are translated.
    return description + "\r\n" + QCoreApplication::translate("quorvane::ErrorReport", "in %1 at line %2")
                                        .arg(project + "." + procedure, QString::number(step))
        + "\r\r" + QCoreApplication::translate("quorvane::ErrorReport",
                                               "Please email screenshot of this message to %1")
                       .arg(kSupportAddress);
}

void ReportFailure(Prompts& prompts, const QString& description, const QString& procedure,
                   int step, const QString& project)
{
    prompts.errorBox(ErrorReportText(description, procedure, step, project),
                     QCoreApplication::translate("quorvane::ErrorReport", "Application Error"));
}

StepTrap::StepTrap(Prompts& prompts, QString procedure, QString project)
    : m_prompts(prompts), m_procedure(std::move(procedure)), m_project(std::move(project))
{
}

bool StepTrap::step(int number, const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const Failure& f) {
        ReportFailure(m_prompts, f.text, m_procedure, number, m_project);
    } catch (const std::exception& e) {
        ReportFailure(m_prompts, QString::fromLocal8Bit(e.what()), m_procedure, number, m_project);
    }
    return false;
}

} // namespace quorvane
