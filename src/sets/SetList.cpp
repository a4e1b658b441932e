#include "sets/SetList.h"

#include "sets/SetsFileSave.h"
#include "shell/ErrorReport.h"
#include "shell/Prompts.h"

#include <QComboBox>

namespace quorvane {

namespace {
const QString kSetDefault = QStringLiteral("findwhat::replacewith");
const QString kSetSeparator = QStringLiteral("::");
} // namespace

SetList::SetList(QComboBox* find, QComboBox* replace, QObject* parent)
    : QObject(parent), m_find(find), m_replace(replace)
{
    connect(m_find, &QComboBox::currentIndexChanged, this, [this] { mirror(m_find, m_replace); });
    connect(m_replace, &QComboBox::currentIndexChanged, this, [this] { mirror(m_replace, m_find); });
    // An edit area's text is never a set; typing clears the selection in both boxes.
    connect(m_find, &QComboBox::editTextChanged, this, [this] { mirror(m_find, m_replace); });
    connect(m_replace, &QComboBox::editTextChanged, this, [this] { mirror(m_replace, m_find); });
}

template <typename F> void SetList::quietly(F&& change)
{
    const bool was = m_quiet;
    m_quiet = true;
    change();
    m_quiet = was;
}

void SetList::mirror(QComboBox* from, QComboBox* to)
{
    // Assigning the index the other box already has changes nothing, so one
    // exchange settles it.
    if (m_quiet || to->currentIndex() == from->currentIndex())
        return;
    to->setCurrentIndex(from->currentIndex());
}

int SetList::count() const { return m_find->count(); }

QStringList SetList::finds() const
{
    QStringList out;
    for (int i = 0; i < m_find->count(); ++i)
        out << m_find->itemText(i);
    return out;
}

QStringList SetList::replaces() const
{
    QStringList out;
    for (int i = 0; i < m_replace->count(); ++i)
        out << m_replace->itemText(i);
    return out;
}

void SetList::appendTo(QComboBox* box, const QString& text)
{
    // A box that gets its first item selects it on its own; undo that so the
    // new item is not selected.
    quietly([&] {
        const int index = box->currentIndex();
        box->addItem(text);
        box->setCurrentIndex(index);
    });
}

void SetList::append(const QString& find, const QString& replace)
{
    appendTo(m_find, find);
    appendTo(m_replace, replace);
}

void SetList::appendAll(const QStringList& finds, const QStringList& replaces)
{
    // One insertion per box keeps a long sets file quick to load.
    const qsizetype n = std::min(finds.size(), replaces.size());
    for (const auto& [target, texts] : {std::pair{m_find, finds.mid(0, n)}, std::pair{m_replace, replaces.mid(0, n)}}) {
        // Named copies: a lambda may not capture structured bindings before C++20 in clang 14.
        QComboBox* box = target;
        const QStringList& items = texts;
        quietly([&] {
            const int index = box->currentIndex();
            box->addItems(items);
            box->setCurrentIndex(index);
        });
    }
}

void SetList::removeSelected()
{
    quietly([&] {
        if (m_find->currentIndex() >= 0)
            m_find->removeItem(m_find->currentIndex());
        if (m_replace->currentIndex() >= 0)
            m_replace->removeItem(m_replace->currentIndex());
        m_find->setCurrentIndex(-1);
        m_replace->setCurrentIndex(-1);
    });
}

void SetList::clear()
{
    quietly([&] {
        m_find->clear();
        m_replace->clear();
    });
}

void SetList::addSetClicked(Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton7_Click");
    QString answer;
    trap.step(100, [&] { answer = prompts.inputBox(tr("Enter find and replace set (use :: to separate find text and replace text):"),
                                  ApplicationTitle(), kSetDefault); });
    if (answer.isEmpty())
        return;
    if (!answer.contains(kSetSeparator)) {
        trap.step(104, [&] {
            prompts.notice(tr("You must use :: to separate the find text from the replace text"),
                           ApplicationTitle());
        });
        return;
    }
    const QStringList pieces = answer.split(kSetSeparator);
    // Each box gets its own step, so a failed find append is still followed
    // by the replace append.
    trap.step(108, [&] { appendTo(m_find, pieces.at(0)); });
    trap.step(110, [&] { appendTo(m_replace, pieces.at(1)); });
}

void SetList::removeSelectedClicked(Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton6_Click");
    trap.step(100, [&] { removeSelected(); });
}

void SetList::clearAllClicked(Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton4_Click");
    trap.step(100, [&] { clear(); });
}

void SetList::saveSetsClicked(Prompts& prompts)
{
    StepTrap trap(prompts, "Form1.PushButton5_Click");
    QString path;
    trap.step(100, [&] { path = prompts.saveFile(tr("Save"), tr("Text Files (*.txt);;All Files (*)")); });
    if (path.isEmpty())
        return;
    trap.step(104, [&] { WriteSetsFile(path, finds(), replaces(), prompts); });
}

} // namespace quorvane
