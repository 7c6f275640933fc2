// The kit log: bounded, every control byte made visible, and saved byte for byte
// from its window, or the operator told why not.

#include "kitlink/kitlog.h"
#include "kitlink/kitlogwindow.h"
#include "platform/prompts.h"
#include "testfiles.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using Direction = KitLog::Direction;

class TestKitLog : public QObject
{
    Q_OBJECT

private slots:
    void shouldSaveFromTheWindow_data()
    {
        QTest::addColumn<QString>("answer");  // in a temporary folder; empty = cancelled
        QTest::newRow("saved") << "kit.txt";
        QTest::newRow("missing folder: the operator is told") << "gone/kit.txt";
        QTest::newRow("cancelled") << "";
    }

    void shouldSaveFromTheWindow()
    {
        QFETCH(QString, answer);
        QTemporaryDir dir;
        platform::RecordedPrompts prompts;
        const QString path = answer.isEmpty() ? QString() : dir.filePath(answer);
        prompts.fileAnswers << path;
        KitLog log(3);  // the oldest make way: only the last three are saved
        for (int i = 0; i < 4; ++i)
            log.append(Direction::Received, "pushed out");
        log.append(Direction::Sent, "?D\r");
        log.append(Direction::Received, QByteArray("R=\0\xb0\x7f 1\r\n", 9));
        log.note(QStringLiteral("a\n°"));
        KitLogWindow window(log, dir.path());
        window.findChild<QPushButton *>("cmdSaveLog")->click();

        QCOMPARE(prompts.fileDialogFolders, QStringList{dir.path()});
        QByteArray saved;  // time, direction and the bytes made visible; CR LF line ends
        const char *const lines[] = {"  >  ?D<CR>\r\n", "  <  R=<0x00><0xB0><0x7F> 1<CR><0x0A>\r\n",
                                     "  !  a<0x0A>°\r\n"};
        for (int i = 0; i < 3; ++i)
            saved += log.entries()[i].time.toString("HH:mm:ss.zzz").toUtf8() + lines[i];
        QCOMPARE(QFile::exists(path) ? readFile(path) : QByteArray(), answer == "kit.txt" ? saved : QByteArray());
        QCOMPARE(prompts.messages.size(), answer.contains('/') ? 1 : 0);
        QVERIFY(prompts.messages.isEmpty() || prompts.messages[0].text.contains(path));
        QCOMPARE(KitLog(0).capacity(), 1);  // a capacity below 1 keeps one
    }
};

QTEST_MAIN(TestKitLog)
#include "tst_kitlog.moc"
