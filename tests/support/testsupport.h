#pragma once

#include "app/state.h"
#include "reading/reading.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace reading {
class frmDisplay;
class frmMain;
} // namespace reading

namespace testsupport {

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

// Makes a generator return the given values, in order; then its real values.
class ScriptedRandom {
public:
    explicit ScriptedRandom(platform::Random& random, std::initializer_list<float> values = {});
    ~ScriptedRandom();
    ScriptedRandom(const ScriptedRandom&) = delete;
    ScriptedRandom& operator=(const ScriptedRandom&) = delete;

    void push(float value) { values.push_back(value); }
    int consumed = 0;
    std::deque<float> values;

private:
    platform::Random& random;
};

// Runs the program in this process with a state of its own: the start-up sequence, and counts
// how often the program ended instead of ending the test. Unloads every window when it goes;
// its windows live in a registry of their own.
class ProgramRun {
public:
    ProgramRun();
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    void start();
    int ends = 0;
    app::ProgramState state;
};

// Bead box 0, 1 or 2 of a reading window.
QWidget* beadBox(const QWidget& display, int box);
// The bead picture box 0, 1 or 2 of a reading window shows, told by comparing its pixels.
reading::Picture pictureShown(const QWidget& display, int box);

// The visible top-level windows' object names, sorted.
QStringList visibleWindows();

// Lets deferred deletions run, so unloaded windows are really gone.
void settle();

// A control of a window, found by the name the window gives it. Fails the test, and gives
// nothing, when there is none of that name and kind.
template <class T = QWidget> T* child(const QObject* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QLatin1StringView(name)) : nullptr;
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no control %1 in %2")
                                    .arg(QLatin1StringView(name), window ? window->objectName() : QString())),
                     __FILE__, __LINE__);
    return found;
}
template <class T = QWidget> T* child(const QObject& window, const char* name)
{
    return child<T>(&window, name);
}

// Runs `inside` once a modal window of the type is up: the call that opens one returns only
// when it has been closed. Closes it afterwards, should `inside` have left it open.
template <class Dialog> void whenModalOpens(std::function<void(Dialog*)> inside)
{
    QTimer::singleShot(0, [inside] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTest::qFail("the modal window is not open", __FILE__, __LINE__);
            return;
        }
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the modal window did not become active");
        inside(dialog);
        // A failed check must not leave the test hanging in the modal loop.
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
    });
}

// Base of every test class: the environment the test process runs in, set before the
// application exists, and an application that stays up when its last window closes. A handler
// that fails (ui::guard logs it) fails the test function; a test class that adds to init()
// calls this one first.
class TestCase : public QObject {
    Q_OBJECT

public:
    static void initMain() { prepareEnvironment(); }

protected:
    TestCase();

protected slots:
    void init();
};

// A test of the program running in this process: every test function gets a fresh run with
// message boxes answered and recorded and the browser recorded. A test class that adds to
// init() or cleanup() calls these first.
class ProgramTest : public TestCase {
    Q_OBJECT

protected:
    ProgramTest() = default;

    std::unique_ptr<ProgramRun> run;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<Browser> browser;

    // The common steps. Starts the program; gives the name-entry window.
    reading::frmMain* startProgram();
    // Types into the name field of the name-entry window.
    void typeName(const QString& name);
    // Presses the button for a reading; gives the reading window.
    reading::frmDisplay* askForReading();
    // Both: a reading for the name.
    reading::frmDisplay* openReading(const QString& name = QStringLiteral("ana"));
    // The windows of this test's run.
    ui::Forms& forms() { return run->state.forms; }

protected slots:
    void init();
    void cleanup();
};

} // namespace testsupport
