#pragma once

#include "publish/shopupload.h"
#include "shell/programfolder.h"
#include "shell/settings.h"

#include <QObject>
#include <QStringList>
#include <QTime>
#include <atomic>
#include <functional>
#include <memory>

namespace shell {
class Interaction;
}
class QThread;

// One generation (and upload) run off the window's thread. The worker opens the products table through
// a connection of its own and reads a copy of the tree taken at the start, so the window's record, tree
// selection and grid stay where they are and the window answers the user throughout. Report lines,
// progress and the upload panel's steps arrive as queued calls on the window's thread; questions and
// error boxes of the run are asked there too, the worker waiting for the answer.
class ShopRun : public QObject {
    Q_OBJECT
public:
    enum class Kind { Preview, Build, Upload };

    struct Job {
        Kind kind = Kind::Preview;
        shell::ProgramFolder folder{QString()};
        shell::Settings settings;
        QStringList treeLines;
        QString chosenFile;              // Build: the file the user chose
        QTime startTime;                 // Upload: when the command began
        publish::UploadCallbacks upload; // Upload: the panel's callbacks (called on the window's thread)
        publish::UploadOptions uploadOptions;
    };

    ShopRun(shell::Interaction& ui, QObject* parent = nullptr);
    // Waits for a run still going, after asking it to stop.
    ~ShopRun() override;

    // Starts the job; false when a run is already going.
    bool start(Job job);
    bool isRunning() const;
    // Stops at the next page or file; the page or file under way is finished first.
    void cancel();
    bool cancelRequested() const { return m_cancel.load(); }
    // Blocks until the run ends, keeping the window's events flowing (closing, tests).
    void waitUntilFinished();

Q_SIGNALS:
    void reportCleared();
    void reportLine(const QString& line);
    void progress(int value, int maximum);
    void uploadStarted(); // the generation half is done, the FTP half begins
    // The run asked the user for a setting it lacked ("Section/key", the text as stored in the file);
    // the window keeps it in its settings.
    void settingStored(const QString& name, const QString& text);
    // ok: the shop was built (and sent without a failed file); cancelled: the user stopped the run.
    void finished(bool ok, bool cancelled);

private:
    void run(const Job& job);

    shell::Interaction& m_ui;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel{false};
};
