#include "support/testsupport.h"

class NameFilterTest : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

TOLVY_TEST_MAIN(NameFilterTest)
#include "tst_namefilter.moc"
