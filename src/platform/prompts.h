#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

enum class PromptIcon { None, Information, Exclamation, Critical, Question };

struct FileChoice {
    QString fullPath;  // empty when the operator cancelled
    QString fileName;  // the name without its folder
};

// Every message box and file dialog of the program goes through the current
// Prompts, so that tests can see what the operator was shown and answer it
// without a modal loop.
class Prompts
{
public:
    virtual ~Prompts() = default;

    virtual void message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) = 0;
    virtual FileChoice openFile(QWidget *parent, const QString &title, const QString &folder,
                                const QString &defaultExtension) = 0;
    virtual FileChoice saveFile(QWidget *parent, const QString &title, const QString &folder,
                                const QString &defaultExtension) = 0;

    // The process-wide instance; QMessageBox / QFileDialog until a test installs its own.
    static Prompts &current();
    // Installs p (not owned); nullptr goes back to the real dialogs.
    static void install(Prompts *p);
};

// What the bench PC shows: QMessageBox and QFileDialog.
class DialogPrompts final : public Prompts
{
public:
    void message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) override;
    FileChoice openFile(QWidget *parent, const QString &title, const QString &folder,
                        const QString &defaultExtension) override;
    FileChoice saveFile(QWidget *parent, const QString &title, const QString &folder,
                        const QString &defaultExtension) override;
};

// Records every message and answers file dialogs from a queue; for tests and for
// unattended runs. Installs itself for its lifetime.
class RecordedPrompts final : public Prompts
{
public:
    struct Shown {
        QString title;
        QString text;
        PromptIcon icon;
    };

    RecordedPrompts();
    ~RecordedPrompts() override;
    RecordedPrompts(const RecordedPrompts &) = delete;
    RecordedPrompts &operator=(const RecordedPrompts &) = delete;

    void message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) override;
    FileChoice openFile(QWidget *parent, const QString &title, const QString &folder,
                        const QString &defaultExtension) override;
    FileChoice saveFile(QWidget *parent, const QString &title, const QString &folder,
                        const QString &defaultExtension) override;

    QList<Shown> messages;
    QStringList fileDialogFolders;   // the folder each file dialog opened in
    QStringList fileAnswers;         // full paths handed out in order; empty = cancel

private:
    FileChoice nextAnswer(const QString &folder);
    Prompts *m_previous;
};

} // namespace platform
