#pragma once
// The error-report convention: a trapping handler runs its numbered steps
// through a StepTrap; a step that throws is reported in one "Application Error"
// box and the handler carries on with its next step.
#include "shell/Failure.h"
#include "shell/Prompts.h"

#include <QAnyStringView>
#include <QString>
#include <functional>

namespace quorvane {

inline constexpr const char* kProject = "Halderik2021/08/31";
inline constexpr const char* kScanProject = "Brisomel2021/08/31";
inline constexpr const char* kSupportAddress = "support@quorvane.app";
inline constexpr const char* kMakerSite = "https://quorvane.app/";

// Procedures and projects are names as the code spells them, quoted in every
// report as they are; only the words around them are translated.

// description + "\r\n" + "in <project>.<procedure> " + "at line <step>" + "\r\r" + support line.
QString ErrorReportText(const QString& description, QAnyStringView procedure, int step,
                        QAnyStringView project = kProject);

// Shows the report for a failed step.
void ReportFailure(Prompts& prompts, const QString& description, QAnyStringView procedure,
                   int step, QAnyStringView project = kProject);

class StepTrap {
public:
    StepTrap(Prompts& prompts, QAnyStringView procedure, QAnyStringView project = kProject);

    // Runs one numbered step. A Failure (or any std::exception) thrown inside is
    // reported with this step number; returns false when the step failed.
    // For a failed condition test, callers go on with the steps it guards:
    // start the condition true and let the step assign it.
    bool step(int number, const std::function<void()>& body);

private:
    Prompts& m_prompts;
    QString m_procedure;
    QString m_project;
};

} // namespace quorvane
