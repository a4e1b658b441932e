#include "shell/ErrorReport.h"

#include <QCoreApplication>

#include <exception>

namespace quorvane {

QString ErrorReportText(const QString& description, QAnyStringView procedure, int step,
                        QAnyStringView project)
{
    // The location is a fixed form people quote in reports; only the words around it are translated.
    const QString location = project.toString() + u'.' + procedure.toString();
    return description + QStringLiteral("\r\n")
        + QCoreApplication::translate("quorvane::ErrorReport", "in %1 at line %2").arg(location, QString::number(step))
        + QStringLiteral("\r\r")
        + QCoreApplication::translate("quorvane::ErrorReport", "Please email screenshot of this message to %1")
              .arg(QLatin1String(kSupportAddress));
}

void ReportFailure(Prompts& prompts, const QString& description, QAnyStringView procedure,
                   int step, QAnyStringView project)
{
    prompts.errorBox(ErrorReportText(description, procedure, step, project),
                     QCoreApplication::translate("quorvane::ErrorReport", "Application Error"));
}

StepTrap::StepTrap(Prompts& prompts, QAnyStringView procedure, QAnyStringView project)
    : m_prompts(prompts), m_procedure(procedure.toString()), m_project(project.toString())
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
