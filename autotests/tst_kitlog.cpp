#include "kitlink/kitlog.h"
#include "kitlink/kitlogwindow.h"
#include "platform/prompts.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using Direction = KitLog::Direction;

class TestKitLog : public QObject
{
    Q_OBJECT

private slots:
    void ringKeepsNewest_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("appends");
        QTest::addColumn<QString>("kept");
        QTest::newRow("not yet full") << 3 << 2 << "01";
        QTest::newRow("wrapped once") << 3 << 5 << "234";
        QTest::newRow("wrapped past the start") << 3 << 7 << "456";
        QTest::newRow("capacity 0 keeps one") << 0 << 2 << "1";
    }
    void ringKeepsNewest()
    {
        QFETCH(int, capacity);
        QFETCH(int, appends);
        KitLog log(capacity);
        for (int i = 0; i < appends; ++i)
            log.append(Direction::Received, QByteArray::number(i));
        QString kept;
        for (const KitLog::Entry &e : log.entries())
            kept += e.text;
        QTEST(kept, "kept");
        QCOMPARE(log.latest().text, kept.right(1));
    }

    void visibleText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << QByteArray("OK\r\n") << "OK<CR><0x0A>";
        QTest::newRow("NUL and tab") << QByteArray("A\0\tB", 4) << "A<0x00><0x09>B";
        QTest::newRow("DEL and high byte") << QByteArray("\x7f\xb0") << "<0x7F><0xB0>";
        QTest::newRow("printable untouched") << QByteArray("R= 1234<>") << "R= 1234<>";
    }
    void visibleText()
    {
        QFETCH(QByteArray, bytes);
        KitLog log;
        log.append(Direction::Sent, bytes);
        QTEST(log.latest().text, "shown");
    }

    void lineLayoutAndSave()
    {
        const QDateTime at(QDate(2024, 3, 1), QTime(23, 41, 7, 250));
        QCOMPARE(KitLog::formatLine({at, Direction::Sent, "?D<CR>"}), "23:41:07.250  >  ?D<CR>");

        QTemporaryDir dir;
        KitLog log;
        log.append(Direction::Received, "xx2400xx0512xF\r");
        log.note(QStringLiteral("a\n°"));
        QVERIFY(log.saveTo(dir.filePath("kit.txt")).ok);
        QFile file(dir.filePath("kit.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<KitLog::Entry> e = log.entries();
        QCOMPARE(file.readAll(), e[0].time.toString("HH:mm:ss.zzz").toUtf8() + "  <  xx2400xx0512xF<CR>\r\n"
                                     + e[1].time.toString("HH:mm:ss.zzz").toUtf8() + "  !  a<0x0A>°\r\n");
    }

    void windowFollowsTheLog_data()
    {
        QTest::addColumn<int>("backlog");
        QTest::newRow("empty at opening") << 0;
        QTest::newRow("two lines at opening") << 2;
    }
    void windowFollowsTheLog()
    {
        QFETCH(int, backlog);
        KitLog log(3);
        for (int i = 0; i < backlog; ++i)
            log.append(Direction::Received, "xx2400xx0512xF\r");
        KitLogWindow window(log);
        window.show();
        auto *text = window.findChild<QPlainTextEdit *>("txtLog");
        QCOMPARE(text->toPlainText(), log.formatted().chopped(backlog ? 1 : 0));
        for (const char *command : {"@P\r", "?P\r", "?D\r"})
            log.append(Direction::Sent, command);
        QCOMPARE(text->blockCount(), 3);  // the oldest lines went with the log's
        QCOMPARE(text->toPlainText() + '\n', log.formatted());
    }

    void windowSave_data()
    {
        QTest::addColumn<QString>("answer");  // in a temporary folder; empty = cancelled
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("complaint");
        QTest::newRow("saved") << "kit.txt" << true << false;
        QTest::newRow("missing folder") << "gone/kit.txt" << false << true;
        QTest::newRow("cancelled") << "" << false << false;
    }
    void windowSave()
    {
        QFETCH(QString, answer);
        QTemporaryDir dir;
        platform::RecordedPrompts prompts;
        const QString path = answer.isEmpty() ? QString() : dir.filePath(answer);
        prompts.fileAnswers << path;
        KitLog log;
        log.append(Direction::Sent, "?D\r");
        KitLogWindow window(log, dir.path());
        window.findChild<QPushButton *>("cmdSaveLog")->click();

        QCOMPARE(prompts.fileDialogFolders, QStringList{dir.path()});
        QTEST(QFile::exists(path), "written");
        QTEST(!prompts.messages.isEmpty(), "complaint");
        if (!prompts.messages.isEmpty())
            QVERIFY(prompts.messages.first().text.contains(path));
    }
};

QTEST_MAIN(TestKitLog)
#include "tst_kitlog.moc"
