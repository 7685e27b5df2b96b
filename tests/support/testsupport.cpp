#include "testsupport.h"

#include "app/flow.h"
#include "app/startup.h"
#include "platform/browser.h"
#include "reading/frmDisplay.h"
#include "reading/frmMain.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/guard.h"
#include "userfolders.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace testsupport {
namespace {
std::unique_ptr<QTemporaryDir>& sandbox()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

// QtTest forgets the patterns after every test function (and data row), before its cleanup(), and
// matches a warning's text only, not its category: the guard's opening words stand for it.
void failOnHandlerFailures()
{
    QTest::failOnWarning(
        QRegularExpression(u'^' + QRegularExpression::escape(QLatin1StringView(ui::kHandlerFailed))));
}
} // namespace

void prepareEnvironment()
{
    // The offscreen platform cannot raise windows and says so each time a window is shown.
    static const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message == QLatin1StringView("This plugin does not support raise()"))
                return;
            previous(type, context, message);
        });
    auto& dir = sandbox();
    dir = std::make_unique<QTemporaryDir>();
    pointUserFoldersAt(dir->path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The temporary folder goes when the test process ends.
    std::atexit([] { sandbox().reset(); });
}

QString sandboxFolder()
{
    return sandbox() ? sandbox()->path() : QString();
}

MessageBoxes::MessageBoxes()
{
    ui::testing::setMessageBoxHandler([this](const ui::testing::MessageRequest& request) {
        shown.push_back(request);
        if (whileOpen)
            whileOpen(request);
        if (!answers.empty()) {
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return request.buttons == ui::MsgButtons::YesNo ? ui::MsgAnswer::No : ui::MsgAnswer::Ok;
    });
}

MessageBoxes::~MessageBoxes()
{
    ui::testing::setMessageBoxHandler({});
}

QStringList MessageBoxes::texts() const
{
    QStringList list;
    for (const auto& m : shown)
        list << m.text;
    return list;
}

Browser::Browser()
{
    platform::testing::setBrowserHandler([this](const QString& address) {
        opened << address;
        return succeeds;
    });
}

Browser::~Browser()
{
    platform::testing::setBrowserHandler({});
}

ScriptedRandom::ScriptedRandom(platform::Random& random, std::initializer_list<float> list)
    : values(list), random(random)
{
    random.setSource([this] {
        ++consumed;
        if (values.empty()) {
            // Out of script: fall back to the real generator for the rest of the test. Resetting
            // the source ends this function object, so nothing of it is used afterwards.
            platform::Random& generator = this->random;
            generator.setSource({});
            return generator.Rnd();
        }
        const float r = values.front();
        values.pop_front();
        return r;
    });
}

ScriptedRandom::~ScriptedRandom()
{
    random.setSource({});
}

ProgramRun::ProgramRun()
{
    state.ender = [this] { ++ends; };
    // Windows made by a test itself follow each other as in the program.
    app::connectWindows(state);
}

ProgramRun::~ProgramRun()
{
    app::testing::resetProgram(state);
    settle();
}

void ProgramRun::start()
{
    app::startProgram(state);
}

QWidget* beadBox(const QWidget& display, int box)
{
    return child(display, qPrintable(QStringLiteral("picBeads%1").arg(box)));
}

reading::Picture pictureShown(const QWidget& display, int box)
{
    auto* label = qobject_cast<QLabel*>(beadBox(display, box));
    const QImage shown = label ? label->pixmap().toImage() : QImage();
    using reading::Picture;
    for (Picture picture : {Picture::Falcon, Picture::Raven, Picture::SnowLion, Picture::QuestionMark}) {
        if (reading::beadPicture(picture, &display).toImage() == shown)
            return picture;
    }
    return Picture{};
}

QStringList visibleWindows()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !w->objectName().isEmpty() && w->isWindow() && !(w->windowType() == Qt::Popup))
            names << w->objectName();
    }
    std::sort(names.begin(), names.end());
    return names;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TestCase::TestCase()
{
    // The program ends only through its own shut-down, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestCase::init()
{
    failOnHandlerFailures();
}

void ProgramTest::init()
{
    TestCase::init();
    run = std::make_unique<ProgramRun>();
    boxes = std::make_unique<MessageBoxes>();
    browser = std::make_unique<Browser>();
}

reading::frmMain* ProgramTest::startProgram()
{
    run->start();
    return forms().find<reading::frmMain>();
}

void ProgramTest::typeName(const QString& name)
{
    QTest::keyClicks(child<ui::MultiLineTextBox>(forms().find<reading::frmMain>(), "txtName"), name);
}

reading::frmDisplay* ProgramTest::askForReading()
{
    QTest::mouseClick(child<QPushButton>(forms().find<reading::frmMain>(), "cmdCalculate"), Qt::LeftButton);
    return forms().find<reading::frmDisplay>();
}

reading::frmDisplay* ProgramTest::openReading(const QString& name)
{
    typeName(name);
    return askForReading();
}

void ProgramTest::cleanup()
{
    // Ending the run unloads its windows, whose handlers run here too.
    failOnHandlerFailures();
    run.reset();
    browser.reset();
    boxes.reset();
}

} // namespace testsupport
