#include "platform/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QTreeView>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>

namespace platform {

namespace {

QMessageBox::Icon toQt(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Exclamation: return QMessageBox::Warning;
    case PromptIcon::Critical: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

FileChoice fromPath(const QString &path)
{
    if (path.isEmpty())
        return {};
    return {QDir::toNativeSeparators(path), QFileInfo(path).fileName()};
}

QString filterFor(const QString &defaultExtension)
{
    if (defaultExtension.isEmpty())
        return QObject::tr("All files (*)");
    return QObject::tr("%1 files (*.%2);;All files (*)").arg(defaultExtension.toUpper(), defaultExtension);
}

// Icons and type names from a file's kind and name only. Qt's own provider looks
// into a file to tell its type, and reading a special file can wait for ever: in
// /proc, kmsg holds the reader until the kernel writes a message, and on the
// dialog's own thread. A FIFO or a device is told by its mode, never opened.
class NameOnlyIconProvider final : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;

    QIcon icon(const QFileInfo &info) const override
    {
        return QFileIconProvider::icon(info.isDir() ? Folder : File);
    }

    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QObject::tr("Folder");
        return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
    }
};

QAbstractFileIconProvider *nameOnlyIcons()
{
    // Shared by every dialog and by their file-information threads, for the whole run.
    static auto *const provider = new NameOnlyIconProvider;
    return provider;
}

void runDialog(QWidget *parent, const QString &title, const QString &folder, const QString &defaultExtension,
               FileListing listing, QFileDialog::AcceptMode mode, Prompts::Chosen chosen)
{
    const QString filter = listing == FileListing::ByExtension ? filterFor(defaultExtension) : QString();
    auto *dialog = new QFileDialog(parent, title, folder, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog, so that what it reads of the files shown is known.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setIconProvider(nameOnlyIcons());
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setDefaultSuffix(defaultExtension);
    dialog->setViewMode(QFileDialog::Detail);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, chosen = std::move(chosen)](int result) {
        const QStringList files = dialog->selectedFiles();
        chosen(result == QDialog::Accepted && !files.isEmpty() ? fromPath(files.constFirst()) : FileChoice{});
    });
    dialog->open();
    // Report file names are long and their dates matter: room for both, each column
    // as wide as what it shows, instead of "CSV…ent" and "6 Dec …:43". Done once
    // open, as the dialog brings back its last size and columns when it shows.
    const int em = dialog->fontMetrics().averageCharWidth();
    dialog->resize(std::max(dialog->width(), 120 * em), std::max(dialog->height(), 40 * em));
    if (auto *files = dialog->findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *columns = files->header();
        columns->setStretchLastSection(false);
        columns->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < columns->count(); ++c)
            columns->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
}

} // namespace

void whenClosed(QDialog *box, QObject *context, std::function<void()> then)
{
    if (!box) {
        then();
        return;
    }
    QObject::connect(box, &QDialog::finished, context, [then = std::move(then)] { then(); });
}

QDialog *DialogPrompts::message(QWidget *parent, const QString &title, const QString &text, PromptIcon icon)
{
    auto *box = new QMessageBox(toQt(icon), title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // A message box sizes itself to its text; a short text under a long title
    // ("Communication Port Error!") would leave the title cut off in the frame.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout())) {
        const int titleWidth = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title);
        const int frameControls = 120;  // the window's icon and its close button beside the title
        grid->addItem(new QSpacerItem(titleWidth + frameControls, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box->open();
    return box;
}

void DialogPrompts::openFile(QWidget *parent, const QString &title, const QString &folder,
                             const QString &defaultExtension, Chosen chosen, FileListing listing)
{
    runDialog(parent, title, folder, defaultExtension, listing, QFileDialog::AcceptOpen, std::move(chosen));
}

void DialogPrompts::saveFile(QWidget *parent, const QString &title, const QString &folder,
                             const QString &defaultExtension, Chosen chosen, FileListing listing)
{
    runDialog(parent, title, folder, defaultExtension, listing, QFileDialog::AcceptSave, std::move(chosen));
}

QDialog *RecordedPrompts::message(QWidget *, const QString &title, const QString &text, PromptIcon icon)
{
    messages.append({title, text, icon});
    return nullptr;
}

void RecordedPrompts::openFile(QWidget *, const QString &, const QString &folder, const QString &, Chosen chosen,
                               FileListing)
{
    chosen(nextAnswer(folder));
}

void RecordedPrompts::saveFile(QWidget *, const QString &, const QString &folder, const QString &, Chosen chosen,
                               FileListing)
{
    chosen(nextAnswer(folder));
}

FileChoice RecordedPrompts::nextAnswer(const QString &folder)
{
    fileDialogFolders.append(folder);
    if (fileAnswers.isEmpty())
        return {};
    return fromPath(fileAnswers.takeFirst());
}

} // namespace platform
