#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QObject;
class QWidget;

namespace platform {

enum class PromptIcon { None, Information, Exclamation, Critical, Question };

// What a file dialog lists: first the files of its default extension, the rest a
// choice away; or every file, as the report forms list them, whose report files
// may be named without an extension.
enum class FileListing { ByExtension, Everything };

struct FileChoice {
    QString fullPath;  // empty when the operator cancelled
    QString fileName;  // the name without its folder
};

// Every message box and file dialog of the program goes through the one Prompts that
// main() makes and hands to the windows, so that tests can hand in their own, see
// what the operator was shown and answer it. None of them waits: a message box stays
// up on its own (a procedure that must wait for the operator to read it waits for
// the box returned), and a file dialog answers through chosen.
class Prompts
{
public:
    using Chosen = std::function<void(const FileChoice &choice)>;

    virtual ~Prompts() = default;

    // The box while it is open; nullptr when nothing is left open.
    virtual QDialog *message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) = 0;
    // chosen is called once, with an empty choice when the operator cancelled; not
    // at all when parent goes first. folder may end in a file name, which the dialog
    // then suggests there.
    virtual void openFile(QWidget *parent, const QString &title, const QString &folder,
                          const QString &defaultExtension, Chosen chosen,
                          FileListing listing = FileListing::ByExtension) = 0;
    virtual void saveFile(QWidget *parent, const QString &title, const QString &folder,
                          const QString &defaultExtension, Chosen chosen,
                          FileListing listing = FileListing::ByExtension) = 0;
};

// Calls then() once the box has been closed, at once when there is none; nothing
// when context goes first.
void whenClosed(QDialog *box, QObject *context, std::function<void()> then);

// What the bench PC shows: QMessageBox and QFileDialog, window-modal.
class DialogPrompts final : public Prompts
{
public:
    QDialog *message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) override;
    void openFile(QWidget *parent, const QString &title, const QString &folder, const QString &defaultExtension,
                  Chosen chosen, FileListing listing) override;
    void saveFile(QWidget *parent, const QString &title, const QString &folder, const QString &defaultExtension,
                  Chosen chosen, FileListing listing) override;
};

// Records every message and answers file dialogs from a queue at once; for tests
// and for unattended runs.
class RecordedPrompts final : public Prompts
{
public:
    struct Shown {
        QString title;
        QString text;
        PromptIcon icon;
    };

    RecordedPrompts() = default;
    RecordedPrompts(const RecordedPrompts &) = delete;
    RecordedPrompts &operator=(const RecordedPrompts &) = delete;

    QDialog *message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon) override;
    void openFile(QWidget *parent, const QString &title, const QString &folder, const QString &defaultExtension,
                  Chosen chosen, FileListing listing) override;
    void saveFile(QWidget *parent, const QString &title, const QString &folder, const QString &defaultExtension,
                  Chosen chosen, FileListing listing) override;

    QList<Shown> messages;
    QStringList fileDialogFolders;   // the folder each file dialog opened in
    QStringList fileAnswers;         // full paths handed out in order; empty = cancel

private:
    FileChoice nextAnswer(const QString &folder);
};

} // namespace platform
