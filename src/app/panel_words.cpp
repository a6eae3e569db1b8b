#include "app/panel_words.h"

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>

namespace {
struct Word {
    const char* context;
    const char* english;
    const char* indonesian;
};

// Qt's own words, by the class that says them.
constexpr Word words[] = {
    {"QFileDialog", "Look in:", "Lihat di:"},
    {"QFileDialog", "File &name:", "&Nama file:"},
    {"QFileDialog", "Directory:", "Folder:"},
    {"QFileDialog", "Files of type:", "Jenis file:"},
    {"QFileDialog", "&Open", "&Buka"},
    {"QFileDialog", "Open", "Buka"},
    {"QFileDialog", "&Choose", "&Pilih"},
    {"QFileDialog", "Find Directory", "Cari Folder"},
    {"QFileDialog", "Back", "Kembali"},
    {"QFileDialog", "Go back", "Kembali ke folder sebelumnya"},
    {"QFileDialog", "Forward", "Maju"},
    {"QFileDialog", "Go forward", "Maju ke folder berikutnya"},
    {"QFileDialog", "Parent Directory", "Folder Induk"},
    {"QFileDialog", "Go to the parent directory", "Ke folder induk"},
    {"QFileDialog", "Create New Folder", "Buat Folder Baru"},
    {"QFileDialog", "Create a New Folder", "Buat folder baru"},
    {"QFileDialog", "List View", "Tampilan Daftar"},
    {"QFileDialog", "Change to list view mode", "Ganti ke tampilan daftar"},
    {"QFileDialog", "Detail View", "Tampilan Rincian"},
    {"QFileDialog", "Change to detail view mode", "Ganti ke tampilan rincian"},
    {"QFileDialog", "Sidebar", "Bilah samping"},
    {"QFileDialog", "List of places and bookmarks", "Daftar tempat dan penanda"},
    {"QFileDialog", "Files", "File"},
    {"QFileDialog", "Directories", "Folder"},
    {"QFileDialog", "All Files (*)", "Semua File (*)"},
    {"QFileDialog", "Recent Places", "Tempat Terakhir"},
    {"QFileDialog", "Remove", "Hapus dari Daftar"},
    {"QFileDialog", "&Rename", "&Ganti Nama"},
    {"QFileDialog", "&Delete", "&Hapus"},
    {"QFileDialog", "Delete", "Hapus"},
    {"QFileDialog", "Show &hidden files", "Tampilkan file &tersembunyi"},
    {"QFileDialog", "&New Folder", "Folder &Baru"},
    {"QFileDialog", "New Folder", "Folder Baru"},
    {"QFileDialog", "Show ", "Tampilkan "},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Yakin ingin menghapus '%1'?"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' dilindungi dari perubahan.\nTetap hapus?"},
    {"QFileDialog", "Could not delete directory.", "Folder tidak dapat dihapus."},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nFile tidak ditemukan.\nPeriksa apakah nama file sudah benar."},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nFolder tidak ditemukan.\nPeriksa apakah nama folder sudah benar."},
    {"QFileSystemModel", "Name", "Nama"},
    {"QFileSystemModel", "Size", "Ukuran"},
    {"QFileSystemModel", "Type", "Jenis"},
    {"QFileSystemModel", "Date Modified", "Tanggal Diubah"},
    {"QFileSystemModel", "Computer", "Komputer"},
    {"QFileSystemModel", "Invalid filename", "Nama file tidak sah"},
    {"QFileSystemModel",
     "<b>The name \"%1\" cannot be used.</b><p>Try using another name, with fewer characters "
     "or no punctuation marks.",
     "<b>Nama \"%1\" tidak dapat dipakai.</b><p>Coba nama lain yang lebih pendek atau tanpa "
     "tanda baca."},
    {"QAbstractFileIconProvider", "Folder", "Folder"},
    {"QAbstractFileIconProvider", "Drive", "Diska"},
    {"QAbstractFileIconProvider", "Unknown", "Tidak dikenal"},
    {"QPlatformTheme", "Open", "Buka"},
    {"QPlatformTheme", "Cancel", "Batal"},
    {"QPlatformTheme", "&Yes", "&Ya"},
    {"QPlatformTheme", "&No", "&Tidak"},
};

class Translator : public QTranslator {
public:
    explicit Translator(QObject* parent) : QTranslator(parent)
    {
        for (const Word& word : words)
            m_words.insert(key(word.context, word.english), QString::fromUtf8(word.indonesian));
    }
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        return m_words.value(key(context, sourceText));
    }

private:
    static QByteArray key(const char* context, const char* english)
    {
        return QByteArray(context) + '\n' + QByteArray(english);
    }
    QHash<QByteArray, QString> m_words;
};
} // namespace

void PanelWords::install()
{
    auto* app = QCoreApplication::instance();
    const QString name = QStringLiteral("pondsill-panel-words");
    if (!app || app->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* translator = new Translator(app);
    translator->setObjectName(name);
    QCoreApplication::installTranslator(translator);
}
