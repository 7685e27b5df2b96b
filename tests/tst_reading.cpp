#include "support/testsupport.h"

class ReadingTest : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

TOLVY_TEST_MAIN(ReadingTest)
#include "tst_reading.moc"
