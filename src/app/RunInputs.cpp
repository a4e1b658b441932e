#include "app/RunInputs.h"

#include "app/Form1.h"
#include "engine/FileReplace.h"
#include "sets/SetList.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace quorvane {

namespace {

// The box's text with each line break as CR LF. The raw text keeps every
// character as typed (non-breaking spaces included); blocks and soft line
// breaks both count as line breaks.
QString BoxText(const QPlainTextEdit* box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

} // namespace

RunInputs::RunInputs(QPlainTextEdit* findText, QPlainTextEdit* replaceText, const SetList& sets, QComboBox* finds,
                     QComboBox* replaces, const MatchControls& match, QObject* parent)
    : QObject(parent), m_findText(findText), m_replaceText(replaceText), m_setList(sets), m_match(match)
{
    const auto textsChanged = [this] { m_single.reset(); };
    connect(findText->document(), &QTextDocument::contentsChanged, this, textsChanged);
    connect(replaceText->document(), &QTextDocument::contentsChanged, this, textsChanged);
    const auto setsChanged = [this] { m_sets.reset(); };
    for (QComboBox* box : {finds, replaces}) {
        QAbstractItemModel* model = box->model();
        connect(model, &QAbstractItemModel::rowsInserted, this, setsChanged);
        connect(model, &QAbstractItemModel::rowsRemoved, this, setsChanged);
        connect(model, &QAbstractItemModel::rowsMoved, this, setsChanged);
        connect(model, &QAbstractItemModel::dataChanged, this, setsChanged);
        connect(model, &QAbstractItemModel::modelReset, this, setsChanged);
        connect(model, &QAbstractItemModel::layoutChanged, this, setsChanged);
    }
    for (QCheckBox* box : {match.wholeWords, match.ignoreCase, match.regex}) {
        connect(box, &QCheckBox::toggled, this, textsChanged);
        connect(box, &QCheckBox::toggled, this, setsChanged);
    }
}

void RunInputs::readTexts()
{
    if (m_single)
        return;
    const QString find = BoxText(m_findText);
    const QString replace = BoxText(m_replaceText);
    const QStringList findLines = SplitLines(find);
    const QStringList replaceLines = SplitLines(replace);
    m_problem.clear();
    if (!replace.isEmpty()) {
        if (findLines.size() != replaceLines.size())
            m_problem = Form1::tr("The number of lines of Find What and Replace With must be the same.");
    } else if (find.isEmpty()) {
        m_problem = Form1::tr("You forgot to input find what.");
    }
    m_single = std::make_shared<const RunPairs>(PairLists(findLines, replaceLines), m_match.matcher(),
                                                m_match.options());
}

QString RunInputs::singleProblem()
{
    readTexts();
    return m_problem;
}

std::shared_ptr<const RunPairs> RunInputs::singlePairs()
{
    readTexts();
    return m_single;
}

std::shared_ptr<const RunPairs> RunInputs::setPairs()
{
    if (!m_sets)
        m_sets = std::make_shared<const RunPairs>(PairLists(m_setList.finds(), m_setList.replaces()),
                                                  m_match.matcher(), m_match.options());
    return m_sets;
}

} // namespace quorvane
