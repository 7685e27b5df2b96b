#pragma once

#include "ui/messagebox.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTest>

#include <deque>
#include <initializer_list>
#include <vector>

namespace testsupport {

// The roots of the three sites this build was configured with, written out independently of
// the program's link table.
inline const QString kForumRoot = QStringLiteral("http://" TOLVY_TEST_FORUM_HOST);
inline const QString kHelpRoot = QStringLiteral("http://" TOLVY_TEST_HELP_HOST);
inline const QString kProductRoot = QStringLiteral("http://" TOLVY_TEST_PRODUCT_HOST);

// Points HOME, the settings folder and the runtime folder at a fresh temporary folder for the
// whole test process, before anything reads them.
void prepareEnvironment();
QString sandboxFolder();

// Answers message boxes without showing them and keeps what they said.
class MessageBoxes {
public:
    MessageBoxes();
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    void queueAnswer(ui::MsgAnswer answer) { answers.push_back(answer); }
    QStringList texts() const;
    int count() const { return static_cast<int>(shown.size()); }
    void clear() { shown.clear(); }

    std::vector<ui::testing::MessageRequest> shown;
    std::deque<ui::MsgAnswer> answers;
    // Runs inside the box, while it would be open (to look at the state it was shown in).
    std::function<void(const ui::testing::MessageRequest&)> whileOpen;
};

// Stands in for the browser and keeps every address it is handed.
class Browser {
public:
    Browser();
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    QStringList opened;
    bool succeeds = true;
};

// Makes the shared generator return the given values, in order; then the real generator.
class ScriptedRandom {
public:
    ScriptedRandom(std::initializer_list<float> values = {});
    ~ScriptedRandom();
    ScriptedRandom(const ScriptedRandom&) = delete;
    ScriptedRandom& operator=(const ScriptedRandom&) = delete;

    void push(float value) { values.push_back(value); }
    int consumed = 0;
    std::deque<float> values;
};

// Runs the program in this process: the start-up sequence, and counts how often the program
// ended instead of ending the test. Unloads every window when it goes.
class ProgramRun {
public:
    ProgramRun();
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    void start();
    int ends = 0;
};

// The visible top-level windows' object names, sorted.
QStringList visibleWindows();

// Lets deferred deletions run, so unloaded windows are really gone.
void settle();

} // namespace testsupport

#define TOLVY_TEST_MAIN(TestObject)                                                                          \
    int main(int argc, char* argv[])                                                                         \
    {                                                                                                        \
        testsupport::prepareEnvironment();                                                                   \
        QApplication app(argc, argv);                                                                        \
        QApplication::setQuitOnLastWindowClosed(false);                                                      \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
