// The operator's hands for the packaging test: loaded into the installed quillmark
// with LD_PRELOAD, it takes one relay from Coil Resistance to MAKE FINAL REPORT
// through the windows' own buttons, as README's first session does, then closes the
// main window. It knows the program only by the objectNames of its controls and
// links nothing of it, so the program under test is the package's alone.
//
// Each step is printed on standard error as it is done, and every message box with
// its text. A message box the first session does not expect, or a step that does
// not come within its time, ends the program with exit code 3.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int StepSeconds = 180;  // the longest step, the all-channel contact run, takes about 40 s
const char *const FinalReportSaid = "Report successfully created.";

QWidget *window(const char *name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String(name) && top->isVisible())
            return top;
    }
    return nullptr;
}

template <class T = QWidget>
T *control(QWidget *in, const char *name)
{
    return in ? in->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

void say(const QString &text)
{
    std::fprintf(stderr, "demo: %s\n", qPrintable(text));
}

// The status lamp as the operator sees it: green once the kit has reported itself free.
bool lampIsGreen(QWidget *mainWindow)
{
    QWidget *lamp = control(mainWindow, "shpStatus");
    return lamp && lamp->grab().toImage().pixelColor(lamp->rect().center()) == QColor(0, 255, 0);
}

struct Step {
    const char *name;
    std::function<bool()> ready;
    std::function<void()> act;
};

class Operator : public QObject
{
public:
    Operator()
    {
        const auto main = [] { return window("frmMain"); };
        // Nothing runs: no busy label, the panel free, no dialog open.
        const auto idle = [main] {
            QWidget *w = main();
            if (!w || QApplication::activeModalWidget() || !control(w, "FrameCPanel")->isEnabled())
                return false;
            for (int i = 0; i < 6; ++i) {
                if (control(w, qPrintable(QStringLiteral("lblBusy(%1)").arg(i)))->isVisibleTo(w))
                    return false;
            }
            return true;
        };
        const auto click = [](std::function<QWidget *()> in, const char *button) {
            return [in, button] { control<QAbstractButton>(in(), button)->click(); };
        };
        const auto text = [](std::function<QWidget *()> in, const char *label) {
            QLabel *shown = control<QLabel>(in(), label);
            return shown ? shown->text() : QString();
        };
        const auto form = [] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *button = top->findChild<QAbstractButton *>(QStringLiteral("cmdMakeFinalReport"));
                if (top->isVisible() && button && button->window() == top)  // the form, not the main window over it
                    return top;
            }
            return static_cast<QWidget *>(nullptr);
        };
        const auto fileDialog = [form] {
            QWidget *f = form();
            return f ? f->findChild<QFileDialog *>() : nullptr;
        };
        m_steps = {
            {"the kit answers, the lamp green",
             [main, idle, text] {
                 return main() && idle() && text(main, "lblCommStatus") == "Comm Port Active" && lampIsGreen(main());
             },
             {}},
            {"Coil Resistance", [] { return true; }, click(main, "cmdCoilResistance")},
            {"coil resistance measured", [idle, text, main] { return idle() && text(main, "lblOhms") != "000.0"; }, {}},
            {"Pick-Up Test", [] { return true; }, click(main, "cmdPickUp")},
            {"pick-up measured", [idle, main] { return idle() && control(main(), "lblPUV")->isVisible(); }, {}},
            {"Drop-Away Test", [] { return true; }, click(main, "cmdDropAway")},
            {"Complete at the Drop Away Test dialog", [] { return window("frmDropAway") != nullptr; },
             click([] { return window("frmDropAway"); }, "cmdComplete")},
            {"drop-away measured", [idle, main] { return idle() && control(main(), "lblDAV")->isVisible(); }, {}},
            {"Contact Resistance, ALL", [] { return true; },
             [main] {
                 control<QComboBox>(main(), "cmbCRChannel")->setCurrentIndex(16);
                 control<QAbstractButton>(main(), "cmdContactResistance")->click();
             }},
            {"contact resistance measured",
             [idle, main] { return idle() && control<QComboBox>(main(), "cmbCR")->count() == 16; }, {}},
            {"Generate Report", [] { return true; }, click(main, "cmdReport")},
            {"New report file", [form] { return form() != nullptr; }, click(form, "cmdNew")},
            {"named Batch 1", [fileDialog] { return fileDialog() && fileDialog()->isVisible(); },
             [fileDialog] {
                 fileDialog()->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("Batch 1"));
                 static_cast<QDialog *>(fileDialog())->accept();  // as its own Save button does
             }},
            {"MAKE FINAL REPORT", [fileDialog] { return !fileDialog(); }, click(form, "cmdMakeFinalReport")},
            {"report made", [this] { return m_finalReportTold; }, {}},
            {"the form closed", [form] { return !form(); }, {}},
            // A moment to read the report's message; the contact run's last settle times are over by then.
            {"main window closed", [this] { return m_stepTime.elapsed() > 5000; }, [main] { main()->close(); }},
        };
        connect(&m_tick, &QTimer::timeout, this, &Operator::next);
        m_tick.start(100);
        m_stepTime.start();
    }

private:
    void next()
    {
        if (answerMessageBoxes())
            return;
        while (m_done < m_steps.size() && m_steps[m_done].ready()) {
            say(QString::fromLatin1(m_steps[m_done].name));
            if (m_steps[m_done].act)
                m_steps[m_done].act();
            ++m_done;
            m_stepTime.restart();
        }
        if (m_done == m_steps.size()) {
            m_tick.stop();
        } else if (m_stepTime.elapsed() > StepSeconds * 1000) {
            fail(QStringLiteral("\"%1\" did not come in %2 s").arg(QString::fromLatin1(m_steps[m_done].name)).arg(StepSeconds));
        }
    }

    // Read and closed, as the operator would; only the final report's is expected.
    bool answerMessageBoxes()
    {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(top);
            if (!box || !box->isVisible() || box->objectName() == QLatin1String("told"))
                continue;
            box->setObjectName(QStringLiteral("told"));
            say(QStringLiteral("message \"%1\": %2").arg(box->windowTitle(), box->text()));
            if (m_done == m_steps.size())  // closing: the program's own to answer
                continue;
            if (box->text() != QLatin1String(FinalReportSaid)) {
                fail(QStringLiteral("a message the first session does not expect"));
                return true;
            }
            m_finalReportTold = true;
            box->accept();
            return true;
        }
        return false;
    }

    void fail(const QString &why)
    {
        say(QStringLiteral("FAILED: ") + why);
        m_tick.stop();
        QCoreApplication::exit(3);
    }

    std::vector<Step> m_steps;
    std::size_t m_done = 0;
    bool m_finalReportTold = false;
    QTimer m_tick;
    QElapsedTimer m_stepTime;
};

// Once the program's application object exists; only a program with windows is driven.
void startOperator()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        new Operator;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startOperator)
