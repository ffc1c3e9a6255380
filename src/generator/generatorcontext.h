#pragma once

#include "shell/programfolder.h"
#include "shell/settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace shell {
class Interaction;
}

namespace catalogue {
class CategoryTree;
class TreeNode;
} // namespace catalogue
namespace tables {
class Table;
}

namespace generator {

class FileWriterPool;
class ProductLookup;

// Where a run's report lines, progress and upload go. Every member may be left empty.
struct GenerationHooks {
    std::function<void()> clearReport;              // the report area is emptied
    std::function<void(const QString&)> reportLine; // one line appended to the report area
    std::function<void(int value, int maximum)> progress;
    // Set only by the upload command: called after the summary lines (the upload flag).
    std::function<void()> upload;
};

// Everything a page writer of one run gets: the catalogue, the settings in force, the folders, the
// report with its warning counter, the search index and the progress. One context lives for one run.
class GeneratorContext {
public:
    GeneratorContext(const shell::Settings& settings, const catalogue::CategoryTree& tree,
                     tables::Table& products, const shell::ProgramFolder& folder,
                     shell::Interaction& interaction, GenerationHooks hooks = {});

    const shell::Settings& settings() const { return m_settings; }
    const catalogue::CategoryTree& tree() const { return m_tree; }
    tables::Table& products() const { return m_products; }
    const shell::ProgramFolder& folder() const { return m_folder; }
    shell::Interaction& interaction() const { return m_interaction; }
    const GenerationHooks& hooks() const { return m_hooks; }

    // The shop folder F (no trailing separator) and the start page name N of the run.
    QString shopFolder() const { return m_shopFolder; }
    QString startPage() const { return m_startPage; }
    void setTarget(const QString& shopFolder, const QString& startPage);
    // F + "/" + name, and F + "/img/" + name.
    QString shopFile(const QString& name) const;
    QString imageFile(const QString& name) const;

    // Report: every line goes to the hook as it is written and is kept for the caller.
    void clearReport();
    void report(const QString& line);
    const QStringList& reportLines() const { return m_report; }
    // The last lines of a run's report: END, an empty line, the warning count and today's date.
    void reportRunEnd();

    // Warnings: the counter is incremented before the line is written; the line is
    // counter + textAfterCounter (for example " warning: product is missing:  " + node text).
    int warningCount() const { return m_warnings; }
    void resetWarnings() { m_warnings = 0; }
    void warn(const QString& textAfterCounter);

    // A node key or product ID that would leave the shop folder as a file name ("/", "\", "..",
    // control characters, empty) or would replace a page of the shop's own (ownPageNames): reports a
    // counted warning naming the node text and returns false. Page writers skip the page (and any
    // picture copy) of such a key.
    bool checkFileKey(const QString& key, const QString& nodeText);

    // Writes a page (savePage). While a run has a writer pool it goes to its threads and a failure
    // surfaces at a later write or at finishWrites; without one it happens at once.
    void writePage(const QString& text, const QString& path);
    // A picture the run could not write into the shop (its shop name, such as "img/xM.jpg"); any thread.
    void noteFailedPictureCopy(const QString& shopName);
    void setWriterPool(FileWriterPool* pool) { m_pool = pool; }
    // Any other work for the writer threads (or done at once without them); it must touch only its own
    // data.
    void submitTask(std::function<void()> task);
    void finishWrites();

    // Pictures the pages refer to that the shop folder does not hold after the run (names under the
    // shop folder, such as "img/b1.jpg"), found by generateShop after its summary lines. The command
    // line and the window tell the user with missingPicturesLine().
    const QStringList& missingPictures() const { return m_missingPictures; }
    void setMissingPictures(const QStringList& names) { m_missingPictures = names; }
    // Product pictures whose copy failed (shop names), in no particular order.
    QStringList failedPictureCopies() const;
    void clearPictureFailures();

    // The products by their keys. While the run shares them (generateShop), they are read once for all
    // its page writers; otherwise each call reads the table as it is now.
    std::shared_ptr<const ProductLookup> productLookup();
    void shareProductLookup(bool share);

    // Search index lines ("parent.d('name','ID.html',n)"), filled by the product pages and emptied by
    // the search page.
    QStringList& searchIndex() { return m_searchIndex; }

    // Progress bar of the shop page.
    void setProgressMaximum(int maximum);
    void setProgress(int value);
    void advanceProgress();
    int progress() const { return m_progressValue; }
    int progressMaximum() const { return m_progressMaximum; }

private:
    void emitProgress();

    const shell::Settings& m_settings;
    const catalogue::CategoryTree& m_tree;
    tables::Table& m_products;
    shell::ProgramFolder m_folder;
    shell::Interaction& m_interaction;
    GenerationHooks m_hooks;

    QString m_shopFolder;
    QString m_startPage;
    QStringList m_report;
    int m_warnings = 0;
    QStringList m_searchIndex;
    int m_progressValue = 0;
    int m_progressMaximum = 100;
    FileWriterPool* m_pool = nullptr;
    QStringList m_missingPictures;
    std::shared_ptr<struct FailedCopies> m_failedCopies;
    bool m_shareLookup = false;
    std::shared_ptr<const ProductLookup> m_lookup;
};

// "Missing pictures: N (kalmenor catalogue lists them)".
QString missingPicturesLine(int count);

// True when the text can name a catalogue page directly inside the shop folder: it stays inside the
// folder and is not one of the shop's own pages.
bool isSafeFileKey(const QString& key);

// The names (without ".html") of the pages a run writes for itself, compared without regard to case.
// A category or product key among them would replace that page, so it gets no page of its own. A theme
// that writes more pages of its own adds their names here.
const QStringList& ownPageNames();
bool namesOwnPage(const QString& key);

} // namespace generator
