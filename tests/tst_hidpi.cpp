// The four windows on screens of 1, 1.5 and 2 device pixels to the pixel: each keeps its
// layout, every text fits its control, and the pictures are drawn from pixels enough for the
// screen (at 1 they keep their own pixel sizes).
//
// The scale of a process is fixed when it starts, so the test runs itself once per scale as a
// child process that lays out every window and writes down what it finds; the test proper
// compares those reports.
#include "app/startup.h"
#include "reading/frmDisplay.h"
#include "reading/frmMain.h"
#include "reading/reading.h"
#include "referral/frmNagScreen2.h"
#include "referral/promo.h"
#include "services/frmAbout.h"
#include "services/product.h"
#include "support/testsupport.h"
#include "support/texts.h"
#include "ui/controls.h"
#include "ui/forms.h"
#include "ui/linklabel.h"
#include "ui/look.h"
#include "ui/picture.h"
#include "ui/windowing.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cmath>
#include <memory>

namespace texts = testsupport::texts;

using reading::frmDisplay;
using reading::frmMain;
using referral::frmNagScreen2;

namespace {

const char* const kReportVariable = "TOLVY_HIDPI_REPORT";
const QList<double> kScales{1.0, 1.5, 2.0};

QString scaleName(double scale)
{
    return QString::number(scale);
}

// ---- The child: lays the windows out at its scale and reports.

QString where(const QWidget* widget)
{
    return widget->window()->objectName() + u'/' + widget->objectName();
}

// What a control needs for its text, set against what it has; empty when the text fits.
QString textProblem(QWidget* widget)
{
    const QFontMetrics metrics(widget->font());
    QStyle* style = widget->style();
    const auto tooSmall = [&](QSize needed, QSize room) {
        return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
            .arg(where(widget), widget->property("text").toString().left(40))
            .arg(needed.width())
            .arg(needed.height())
            .arg(room.width())
            .arg(room.height());
    };
    // A label's or a link's text, in the room its box leaves.
    const auto textInBox = [&](const QString& text, QRect room, int flags) -> QString {
        const QRect needed = metrics.boundingRect(room, flags, text);
        if (needed.width() > room.width() || needed.height() > room.height())
            return tooSmall(needed.size(), room.size());
        // A label may run past its window's edge; its text may not.
        const QRect inParent(widget->mapToParent(needed.topLeft()), needed.size());
        if (!widget->parentWidget()->rect().contains(inParent))
            return where(widget) + QStringLiteral(": the text runs out of the window");
        return {};
    };
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return {};
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        return textInBox(label->text(), room,
                         int(label->alignment()) | (label->wordWrap() ? int(Qt::TextWordWrap) : 0));
    }
    if (auto* link = qobject_cast<ui::LinkLabel*>(widget))
        return textInBox(link->text(), link->rect(), int(link->alignment()) | int(Qt::TextWordWrap));
    if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check) +
                              style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, check);
        const QSize needed(indicator + metrics.horizontalAdvance(check->text()), metrics.height());
        if (needed.width() > check->width() || needed.height() > check->height())
            return tooSmall(needed, check->size());
        return {};
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const QSize needed(metrics.horizontalAdvance(ui::displayedCaption(button->text())) + margin +
                               2 * frame,
                           metrics.height() + 2 * frame);
        if (needed.width() > button->width() || needed.height() > button->height())
            return tooSmall(needed, button->size());
        return {};
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        if (frame->title().isEmpty())
            return {};
        const QSize needed(metrics.horizontalAdvance(frame->title()) + 2 * metrics.averageCharWidth(),
                           metrics.height());
        if (needed.width() > frame->width())
            return tooSmall(needed, frame->size());
        return {};
    }
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        // The boxes open holding the name of what belongs in them; it must show whole.
        const QMargins margins = line->textMargins();
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, line);
        const QSize needed(metrics.horizontalAdvance(line->text()) + margins.left() + margins.right() +
                               2 * frame + 4,
                           metrics.height());
        if (needed.width() > line->width() || needed.height() > line->height())
            return tooSmall(needed, line->size());
        return {};
    }
    return {};
}

QJsonObject describeWindow(QWidget* window)
{
    QJsonObject geometry;
    QJsonArray problems;
    QJsonObject pictures;
    QJsonObject links;
    const auto rect = [](QRect r) { return QJsonArray{r.x(), r.y(), r.width(), r.height()}; };
    geometry.insert(QStringLiteral("(window)"), rect(QRect(QPoint(), window->size())));
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1StringView("qt_")))
            continue;
        geometry.insert(widget->objectName(), rect(QRect(widget->mapTo(window, QPoint()), widget->size())));
        if (!widget->isVisibleTo(window))
            continue;
        if (const QString problem = textProblem(widget); !problem.isEmpty())
            problems.append(problem);
        if (auto* link = qobject_cast<ui::LinkLabel*>(widget)) {
            // Drawn to the pixels of a plain label with the same text, font, colours and box.
            QLabel label(link->text(), link->parentWidget());
            label.hide();
            label.setWordWrap(true);
            label.setAlignment(link->alignment());
            label.setFont(link->font());
            label.setPalette(link->palette());
            label.setGeometry(link->geometry());
            const QImage drawn = link->grab().toImage();
            links.insert(link->objectName(),
                         !drawn.isNull() && drawn == label.grab().toImage().convertToFormat(drawn.format()));
        }
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->pixmap().isNull()) {
            const QPixmap picture = label->pixmap();
            const QImage image = picture.toImage();
            // A picture that cannot be read is shown as a plain box.
            bool plain = true;
            for (int y = 0; plain && y < image.height(); ++y) {
                for (int x = 0; plain && x < image.width(); ++x)
                    plain = image.pixel(x, y) == image.pixel(0, 0);
            }
            pictures.insert(widget->objectName(),
                            QJsonObject{{QStringLiteral("ratio"), picture.devicePixelRatio()},
                                        {QStringLiteral("plain"), plain},
                                        {QStringLiteral("pixels"), rect(QRect(QPoint(), picture.size()))},
                                        {QStringLiteral("logical"),
                                         rect(QRect(QPoint(), picture.deviceIndependentSize().toSize()))}});
        }
    }
    const QWindow* handle = window->windowHandle();
    return {{QStringLiteral("ratio"), handle ? handle->devicePixelRatio() : 0.0},
            {QStringLiteral("geometry"), geometry},
            {QStringLiteral("problems"), problems},
            {QStringLiteral("pictures"), pictures},
            {QStringLiteral("links"), links}};
}

void showAndSettle(QWidget* window)
{
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("%s was not exposed", qPrintable(window->objectName()));
    testsupport::settle();
}

// Plays one whole reading that draws the same omen three times (0.1 Falcon, 0.5 Raven,
// 0.9 Snow Lion), so that every interpretation and the all-Falcon text is shown once.
void playReading(frmDisplay& display, platform::Random& generator, float value)
{
    display.ResetReading();
    testsupport::ScriptedRandom random{generator, {value, value, value}};
    for (int count = 0; count < 3; ++count)
        QTest::mouseClick(testsupport::child<QPushButton>(display, "cmdBeads"), Qt::LeftButton);
    testsupport::settle();
}

int writeReport(const QString& file)
{
    testsupport::MessageBoxes messages;
    testsupport::Browser browser;
    QJsonObject states;

    {
        testsupport::ProgramRun run;
        run.start();
        auto* main = run.state.forms.find<frmMain>();
        if (!main)
            return 3;
        showAndSettle(main);
        states.insert(QStringLiteral("frmMain"), describeWindow(main));

        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<services::frmAbout*>(QApplication::activeModalWidget());
            if (!about)
                return;
            if (!QTest::qWaitForWindowExposed(about))
                qWarning("the About window was not exposed");
            states.insert(QStringLiteral("frmAbout"), describeWindow(about));
            about->done(QDialog::Accepted);
        });
        services::showAboutWindow();

        QTest::keyClicks(testsupport::child<ui::MultiLineTextBox>(*main, "txtName"), QStringLiteral("ana"));
        QTest::mouseClick(testsupport::child<QPushButton>(*main, "cmdCalculate"), Qt::LeftButton);
        auto* display = run.state.forms.find<frmDisplay>();
        if (!display)
            return 4;
        showAndSettle(display);
        states.insert(QStringLiteral("frmDisplay"), describeWindow(display));
        const QList<QPair<QString, float>> readings{{QStringLiteral("falcons"), 0.1f},
                                                    {QStringLiteral("ravens"), 0.5f},
                                                    {QStringLiteral("snow lions"), 0.9f}};
        for (const auto& [name, value] : readings) {
            playReading(*display, run.state.random, value);
            states.insert(QStringLiteral("frmDisplay, ") + name, describeWindow(display));
        }
    }

    // Each start of the refer-a-friend window shows one of the promotional messages.
    for (int message = 0; message < referral::kPromoMessageCount; ++message) {
        testsupport::ProgramRun run;
        run.start();
        testsupport::ScriptedRandom random{run.state.random,
                                           {(float(message) + 0.5f) / float(referral::kPromoMessageCount)}};
        run.state.forms.show<frmNagScreen2>();
        auto* referral = run.state.forms.find<frmNagScreen2>();
        if (!referral)
            return 5;
        showAndSettle(referral);
        QJsonObject state = describeWindow(referral);
        state.insert(QStringLiteral("message"), testsupport::child<QLabel>(*referral, "Label2")->text());
        states.insert(QStringLiteral("frmNagScreen2, message %1").arg(message + 1), state);
    }

    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return 6;
    const QFont face = ui::windowFont(8.25);
    out.write(QJsonDocument(QJsonObject{{QStringLiteral("scale"), qEnvironmentVariable("QT_SCALE_FACTOR")},
                                        {QStringLiteral("family"), face.family()},
                                        {QStringLiteral("face"), QFontInfo(face).family()},
                                        {QStringLiteral("states"), states}})
                  .toJson());
    return 0;
}

} // namespace

// ---- The test: one report per scale, then what they must say.

class HiDpiTest : public testsupport::TestCase {
    Q_OBJECT

    QTemporaryDir folder;
    QMap<QString, QJsonObject> reports; // by scale name

    QJsonObject stateOf(double scale, const QString& name) const
    {
        return reports.value(scaleName(scale))
            .value(QStringLiteral("states"))
            .toObject()
            .value(name)
            .toObject();
    }

    QStringList stateNames() const
    {
        return reports.value(scaleName(1.0)).value(QStringLiteral("states")).toObject().keys();
    }

    // Runs this program as a child that reports under the name, at the scale, with the font
    // configuration when one is given.
    void runChild(const QString& name, double scale, const QString& fontConfiguration = {})
    {
        const QString file = folder.filePath(QStringLiteral("report-%1.json").arg(name));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scaleName(scale));
        environment.insert(QString::fromLatin1(kReportVariable), file);
        if (!fontConfiguration.isEmpty())
            environment.insert(QStringLiteral("FONTCONFIG_FILE"), fontConfiguration);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(90'000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(QStringLiteral("the run %1 ended with %2").arg(name).arg(child.exitCode())));
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        reports.insert(name, QJsonDocument::fromJson(in.readAll()).object());
    }

    void addStateRows(const QList<double>& scales)
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("state");
        for (double scale : scales) {
            for (const QString& name : stateNames())
                QTest::addRow("%s at %s", qPrintable(name), qPrintable(scaleName(scale))) << scale << name;
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        for (double scale : kScales)
            runChild(scaleName(scale), scale);
        // Every window in every state it was looked at.
        QCOMPARE(stateNames().size(), 10);
    }

    void windowsTakeTheScale_data() { addStateRows(kScales); }

    void windowsTakeTheScale()
    {
        QFETCH(double, scale);
        QFETCH(QString, state);
        QCOMPARE(stateOf(scale, state).value(QStringLiteral("ratio")).toDouble(), scale);
    }

    void textsFit_data() { addStateRows(kScales); }

    void textsFit()
    {
        QFETCH(double, scale);
        QFETCH(QString, state);
        QStringList problems;
        for (const QJsonValue& problem : stateOf(scale, state).value(QStringLiteral("problems")).toArray())
            problems << problem.toString();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    void layoutKept_data() { addStateRows({1.5, 2.0}); }

    void layoutKept()
    {
        QFETCH(double, scale);
        QFETCH(QString, state);
        const QJsonObject base = stateOf(1.0, state).value(QStringLiteral("geometry")).toObject();
        const QJsonObject scaled = stateOf(scale, state).value(QStringLiteral("geometry")).toObject();
        QVERIFY(base.size() > 5);
        QCOMPARE(scaled.keys(), base.keys());
        QStringList moved;
        for (const QString& name : base.keys()) {
            if (scaled.value(name) != base.value(name))
                moved << QStringLiteral("%1 %2 -> %3")
                             .arg(name,
                                  QString::fromUtf8(QJsonDocument(base.value(name).toArray())
                                                        .toJson(QJsonDocument::Compact)),
                                  QString::fromUtf8(QJsonDocument(scaled.value(name).toArray())
                                                        .toJson(QJsonDocument::Compact)));
        }
        QVERIFY2(moved.isEmpty(), qPrintable(moved.join(QStringLiteral("; "))));
    }

    void picturesSharp_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QSize>("logical");
        struct Row {
            const char* state;
            const char* picture;
            QSize logical;
        };
        // The bead boxes are filled before the reading window is first shown, and again by
        // each count once it is up; the icons are drawn for the screen they land on.
        const QList<Row> rows{
            {"frmMain", "Picture1", {135, 112}},
            {"frmDisplay", "picBeads0", {41, 40}},
            {"frmDisplay", "picBeads2", {41, 40}},
            {"frmDisplay, falcons", "picBeads0", {41, 40}},
            {"frmDisplay, ravens", "picBeads1", {59, 40}},
            {"frmDisplay, snow lions", "picBeads2", {78, 40}},
            {"frmAbout", "picIcon", {32, 32}},
            {"frmNagScreen2, message 1", "Picture1", {32, 32}},
        };
        for (double scale : kScales) {
            for (const Row& row : rows)
                QTest::addRow("%s %s at %s", row.state, row.picture, qPrintable(scaleName(scale)))
                    << scale << QString::fromLatin1(row.state) << QString::fromLatin1(row.picture)
                    << row.logical;
        }
    }

    void picturesSharp()
    {
        QFETCH(double, scale);
        QFETCH(QString, state);
        QFETCH(QString, picture);
        QFETCH(QSize, logical);
        const QJsonObject shown =
            stateOf(scale, state).value(QStringLiteral("pictures")).toObject().value(picture).toObject();
        QVERIFY2(!shown.isEmpty(), "no picture");
        QVERIFY2(!shown.value(QStringLiteral("plain")).toBool(), "a plain box, not the picture");
        const auto size = [](const QJsonValue& value) {
            const QJsonArray a = value.toArray();
            return QSize(a.at(2).toInt(), a.at(3).toInt());
        };
        const double ratio = shown.value(QStringLiteral("ratio")).toDouble();
        // Always the same room on the screen.
        QCOMPARE(size(shown.value(QStringLiteral("logical"))), logical);
        if (scale == 1.0) {
            QCOMPARE(ratio, 1.0);
            QCOMPARE(size(shown.value(QStringLiteral("pixels"))), logical);
        } else {
            // At least one picture pixel to each screen pixel: nothing is blown up.
            QVERIFY2(ratio >= scale, qPrintable(QString::number(ratio)));
            QVERIFY(size(shown.value(QStringLiteral("pixels"))).width() >=
                    std::ceil(logical.width() * scale));
        }
    }

    void linksDrawnAsLabels_data() { addStateRows(kScales); }

    void linksDrawnAsLabels()
    {
        QFETCH(double, scale);
        QFETCH(QString, state);
        const QJsonObject links = stateOf(scale, state).value(QStringLiteral("links")).toObject();
        if (!state.startsWith(u"frmNagScreen2"))
            QVERIFY(links.size() >= 2);
        for (const QString& name : links.keys())
            QVERIFY2(links.value(name).toBool(), qPrintable(name));
    }

    // A face installed from two foundries is listed once for each, "Family [Foundry]": the
    // windows find it all the same, and their texts still fit.
    void windowFaceFromTwoFoundries_data()
    {
        QTest::addColumn<QString>("family");
        QTest::newRow("Verdana") << "Verdana";
        QTest::newRow("DejaVu Sans") << "DejaVu Sans";
    }

    void windowFaceFromTwoFoundries()
    {
        QFETCH(QString, family);
#ifdef Q_OS_WIN
        QSKIP("The font configuration is the X desktops'");
#endif
        const QString font = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        if (!QFileInfo::exists(font))
            QSKIP("No DejaVu Sans to install twice (package fonts-dejavu-core)");
        // Two copies of one face, each given the family and a foundry of its own as it is read.
        const QString root = folder.filePath(family);
        QString rules;
        for (const QString& foundry : {QStringLiteral("one"), QStringLiteral("two")}) {
            const QString copy = root + u'/' + foundry + QStringLiteral("/face.ttf");
            QVERIFY(QDir().mkpath(QFileInfo(copy).path()) && QFile::copy(font, copy));
            rules +=
                QStringLiteral("<dir>%1</dir><match target=\"scan\"><test name=\"file\"><string>%2</string>"
                               "</test><edit name=\"family\" mode=\"assign_replace\"><string>%3</string>"
                               "</edit><edit name=\"foundry\" mode=\"assign_replace\"><string>%4</string>"
                               "</edit></match>\n")
                    .arg(QFileInfo(copy).path(), copy, family, foundry);
        }
        QFile configuration(root + QStringLiteral("/fonts.conf"));
        QVERIFY(configuration.open(QIODevice::WriteOnly));
        configuration.write(
            QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                           "<fontconfig><include>/etc/fonts/fonts.conf</include>"
                           "<cachedir>%1/cache</cachedir>\n%2</fontconfig>\n")
                .arg(root, rules)
                .toUtf8());
        configuration.close();
        runChild(family, 1.0, configuration.fileName());
        const QJsonObject report = reports.value(family);
        QCOMPARE(report.value(QStringLiteral("family")).toString(), family);
        const QString face = report.value(QStringLiteral("face")).toString();
        QVERIFY2(face == family || face.startsWith(family + QStringLiteral(" [")), qPrintable(face));
        const QJsonObject about =
            report.value(QStringLiteral("states")).toObject().value(QStringLiteral("frmAbout")).toObject();
        QVERIFY(!about.isEmpty());
        QCOMPARE(about.value(QStringLiteral("problems")).toArray(), QJsonArray());
    }

    // The pictures' reader takes a header as netpbm writes it, and never shifts the pixels.
    void picturesRead_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("size");
        const QByteArray rgb("\x10\x20\x30\x40\x50\x60", 6);
        const QByteArray rgba("\x10\x20\x30\x80\x40\x50\x60\xff", 8);
        const QByteArray pam("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n");
        QTest::newRow("PPM") << "P6\n2 1\n255\n" + rgb << QSize(2, 1);
        QTest::newRow("PAM") << pam + rgba << QSize(2, 1);
        QTest::newRow("comments, one touching a token")
            << "P6 # made here\n2#wide\n1 255\t" + rgb << QSize(2, 1);
        QTest::newRow("CR LF line ends") << "P6\r\n2 1\r\n255\r\n" + rgb << QSize();
        QTest::newRow("PAM with CR LF line ends") << QByteArray(pam).replace("\n", "\r\n") + rgba << QSize();
        QTest::newRow("comment after the largest value") << "P6\n2 1\n255#\n" + rgb << QSize();
        QTest::newRow("a byte over") << "P6\n2 1\n255\n" + rgb + 'x' << QSize();
        QTest::newRow("a byte short") << "P6\n2 1\n255\n" + rgb.chopped(1) << QSize();
        QTest::newRow("signed width") << "P6\n+2 1\n255\n" + rgb << QSize();
        QTest::newRow("sixteen bits a sample") << "P6\n1 1\n65535\n" + rgb << QSize();
        QTest::newRow("wider than any picture")
            << QByteArray("P6\n4097 1\n255\n") + QByteArray(3 * 4097, 'x') << QSize();
        QTest::newRow("unknown PAM field")
            << QByteArray(pam).replace("TUPLTYPE", "COLOURS") + rgba << QSize();
        QTest::newRow("header cut off") << QByteArray("P6\n2 1\n255") << QSize();
        QTest::newRow("nothing") << QByteArray() << QSize();
    }

    void picturesRead()
    {
        QFETCH(QByteArray, data);
        QFETCH(QSize, size);
        const QImage image = ui::readPicture(QByteArrayView(data));
        QCOMPARE(image.size(), size.isValid() ? size : QSize(0, 0));
        if (!size.isValid())
            return;
        QCOMPARE(QColor::fromRgba(image.pixel(0, 0)).red(), 0x10);
        QCOMPARE(QColor::fromRgba(image.pixel(1, 0)), QColor(0x40, 0x50, 0x60));
    }

    // A picture with no memory left for it is no picture, not a write to nowhere.
    void pictureWithoutMemory()
    {
        // moc does not see the preprocessor, so the slot exists everywhere.
#if !defined(Q_OS_LINUX) || defined(__SANITIZE_ADDRESS__)
        QSKIP("needs an address-space limit the sanitizer's shadow memory does not fit in");
#else
        QByteArray data = "P7\nWIDTH 4096\nHEIGHT 4096\nDEPTH 4\nMAXVAL 255\nENDHDR\n";
        data.append(QByteArray(4096 * 4096 * 4, '\x7f'));
        QFile statm(QStringLiteral("/proc/self/statm"));
        QVERIFY(statm.open(QIODevice::ReadOnly));
        const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
        QVERIFY(pages > 0);
        rlimit before{};
        QCOMPARE(getrlimit(RLIMIT_AS, &before), 0);
        // Room for a little more than there is, not for the 64 MiB the image needs.
        rlimit tight = before;
        tight.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + 16 * 1024 * 1024;
        QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
        const QImage image = ui::readPicture(QByteArrayView(data));
        QCOMPARE(setrlimit(RLIMIT_AS, &before), 0);
        QVERIFY(image.isNull());
#endif
    }

    // The measure above must see a text that does not fit, or its silence means nothing.
    void overflowIsSeen_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("roomy");
        for (const char* kind :
             {"label", "wrapped label", "link", "button", "check box", "frame", "text box"}) {
            QTest::addRow("%s, cramped", kind) << QString::fromLatin1(kind) << false;
            QTest::addRow("%s, roomy", kind) << QString::fromLatin1(kind) << true;
        }
    }

    void overflowIsSeen()
    {
        QFETCH(QString, kind);
        QFETCH(bool, roomy);
        QWidget window;
        window.setObjectName(QStringLiteral("window"));
        window.resize(800, 200);
        const QString text = texts::kSecondCount;
        QWidget* control = nullptr;
        if (kind == QLatin1StringView("label") || kind == QLatin1StringView("wrapped label")) {
            auto* label = new QLabel(text, &window);
            label->setWordWrap(kind == QLatin1StringView("wrapped label"));
            control = label;
        } else if (kind == QLatin1StringView("link")) {
            control = new ui::LinkLabel(text, Qt::AlignLeft | Qt::AlignTop, &window);
        } else if (kind == QLatin1StringView("button")) {
            control = new QPushButton(text, &window);
        } else if (kind == QLatin1StringView("check box")) {
            control = new QCheckBox(text, &window);
        } else if (kind == QLatin1StringView("frame")) {
            control = new QGroupBox(text, &window);
        } else {
            control = new QLineEdit(text, &window);
        }
        control->setObjectName(QStringLiteral("control"));
        control->setFont(ui::windowFont(8.25, true));
        control->setGeometry(10, 10, roomy ? 400 : 120, roomy ? 40 : 14);
        QCOMPARE(textProblem(control).isEmpty(), roomy);
    }

    // Sizes in the screen's device-independent pixels; the reading window is 777 by 556.
    void windowsOpenOnTheScreen_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("fits: centred") << QSize(547, 320) << QRect(0, 0, 1280, 1024) << QPoint(366, 352);
        QTest::newRow("1920x1080 at 2: too tall")
            << QSize(777, 556) << QRect(0, 0, 960, 540) << QPoint(91, 0);
        QTest::newRow("1280x720 at 1.5: too tall")
            << QSize(777, 556) << QRect(0, 0, 853, 480) << QPoint(38, 0);
        QTest::newRow("1366x768 at 2: too wide and tall")
            << QSize(777, 556) << QRect(0, 0, 683, 384) << QPoint(0, 0);
        QTest::newRow("panel above, too tall") << QSize(777, 556) << QRect(0, 27, 960, 513) << QPoint(91, 27);
        QTest::newRow("second screen, too wide")
            << QSize(777, 300) << QRect(1920, 0, 683, 384) << QPoint(1920, 42);
        QTest::newRow("exactly the area") << QSize(683, 384) << QRect(0, 0, 683, 384) << QPoint(0, 0);
    }

    void windowsOpenOnTheScreen()
    {
        QFETCH(QSize, frame);
        QFETCH(QRect, area);
        QFETCH(QPoint, placed);
        QCOMPARE(ui::centredPlace(frame, area), placed);
    }

    void everyPromotionalMessageLookedAt()
    {
        QSet<QString> messages;
        for (int message = 1; message <= referral::kPromoMessageCount; ++message)
            messages << stateOf(1.0, QStringLiteral("frmNagScreen2, message %1").arg(message))
                            .value(QStringLiteral("message"))
                            .toString();
        QCOMPARE(messages.size(), referral::kPromoMessageCount);
    }

    // The look the layouts are checked in, whichever style Qt would choose for the system.
    void windowsStyleKept()
    {
        const QString before = QApplication::style()->name();
#ifdef Q_OS_WIN
        QVERIFY(QApplication::setStyle(QStringLiteral("windows11")));
        app::useWindowsStyle();
        QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("windowsvista"));
        QApplication::setStyle(before);
#else
        app::useWindowsStyle();
        QCOMPARE(QApplication::style()->name(), before);
#endif
    }
};

int main(int argc, char* argv[])
{
    testsupport::prepareEnvironment();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // As the program does: the icon the About window shows.
    QApplication::setWindowIcon(services::applicationIcon());
    if (qEnvironmentVariableIsSet(kReportVariable))
        return writeReport(qEnvironmentVariable(kReportVariable));
    HiDpiTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
