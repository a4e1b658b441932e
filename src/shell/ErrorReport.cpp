#include "shell/ErrorReport.h"

#include <exception>

namespace quorvane {

QString ErrorReportText(const QString& description, const QString& procedure, int step,
                        const QString& project)
{
    return description + "\r\n" + "in " + project + "." + procedure + " " + "at line "
        + QString::number(step) + "\r\r" + "Please email screenshot of this message to "
        + kSupportAddress;
}

void ReportFailure(Prompts& prompts, const QString& description, const QString& procedure,
                   int step, const QString& project)
{
    prompts.errorBox(ErrorReportText(description, procedure, step, project), "Application Error");
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
