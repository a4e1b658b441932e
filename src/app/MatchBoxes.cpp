#include "app/MatchBoxes.h"

#include "app/StoredChoice.h"
#include "shell/MatchSettings.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>

namespace quorvane {

namespace {

// A box showing, and storing, the choice that member points at.
QCheckBox* AddChoice(Form1& form, QStatusBar* bar, const QString& text, const QString& name,
                     bool MatchChoices::*member)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    box->setMouseTracking(true);
    box->setChecked(ReadMatchChoices().*member);
    QObject::connect(box, &QCheckBox::toggled, &form, [&form, box, member](bool on) {
        const bool stored = StoreChoice(form, "Form1.MatchChoices", member, on, ReadMatchChoices, WriteMatchChoices);
        if (stored != on) {
            const QSignalBlocker quiet(box);
            box->setChecked(stored);
        }
    });
    bar->addPermanentWidget(box);
    return box;
}

} // namespace

MatcherKind MatchControls::matcher() const
{
    return regex->isChecked() ? MatcherKind::Regex : MatcherKind::Exact;
}

MatchOptions MatchControls::options() const
{
    return {wholeWords->isChecked(), ignoreCase->isChecked()};
}

MatchControls AddMatchControls(Form1& form, QStatusBar* bar)
{
    MatchControls controls;
    controls.wholeWords = AddChoice(form, bar, Form1::tr("Match whole words"), QStringLiteral("WholeWordsCheck"),
                                    &MatchChoices::wholeWords);
    controls.wholeWords->setToolTip(Form1::tr("Replace a find only where no letter, digit, mark or connector "
                                              "such as _ touches it on either side"));
    controls.ignoreCase = AddChoice(form, bar, Form1::tr("Ignore case"), QStringLiteral("IgnoreCaseCheck"),
                                    &MatchChoices::ignoreCase);
    controls.ignoreCase->setToolTip(Form1::tr("Find text in any case; the replacement is inserted as written"));
    controls.regex = AddChoice(form, bar, Form1::tr("Regular expressions"), QStringLiteral("RegexCheck"),
                               &MatchChoices::regex);
    controls.regex->setToolTip(Form1::tr("Take each find as a regular expression, whose groups the "
                                         "replacement may name (\"?\" tells how)"));
    controls.help = new QToolButton;
    controls.help->setObjectName(QStringLiteral("RegexHelpButton"));
    controls.help->setText(Form1::tr("?"));
    controls.help->setToolTip(Form1::tr("Regular Expression Help"));
    controls.help->setMouseTracking(true);
    bar->addPermanentWidget(controls.help);
    return controls;
}

QString RegexHelpText()
{
    return Form1::tr(
        "Regular expressions follow PCRE2's syntax, by Unicode: . is any character but a line feed, \\w a "
        "word character, \\d a digit, \\s white space, \\b a word boundary, [abc] one of a set, (...) a "
        "group, (?<name>...) a named group; *, +, ? and {2,5} repeat, a|b is either. ^ matches at the "
        "file's start and $ at its end (or before a last line feed), with (?m) at each line's too; with "
        "(?s) . matches a line feed too. A match may span lines, up to 1 MiB.\n\n"
        "In Replace with: $1 or ${1} is group 1 ($0 the whole match), ${name} a named group, $$ a dollar "
        "sign, \\n a line feed, \\t a tab and \\\\ a backslash. A group that took no part inserts nothing; "
        "any other $ or \\ is refused.\n\n"
        "Each line of Find what, and each set's find, is one pattern. Match whole words and Ignore case "
        "apply to patterns too.");
}

void RegexHelpButton(Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.RegexHelpButton_Click");
    trap.step(100, [&] { prompts.notice(RegexHelpText(), ApplicationTitle()); });
}

} // namespace quorvane
