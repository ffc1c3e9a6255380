#pragma once

#include "publish/shopupload.h"

#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;

// The step panel that takes the place of the category tree during and after an upload: the three
// steps with a marker beside the current one (its caption bold), the "Save report" link, the files of
// the folder being sent with the current one highlighted, and a progress bar counting the transfers.
class UploadPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStepCount = 3;

    explicit UploadPanel(QWidget* parent = nullptr);

    // step 1 "1. Generating store", 2 "2. Establish connection", 3 "3. Sending store to FTP".
    void markStep(int step);
    int currentStep() const { return m_currentStep; }
    // Step 1 current, empty file list, progress at 0: the state at the start of a run.
    void reset();

    void showFolder(const QString& folder, const QStringList& files);
    void highlightFile(int index);

    QLabel* stepLabel(int step) const;
    QLabel* stepMarker(int step) const;
    QProgressBar* progressBar() const { return m_progress; }
    // The choices for the next upload: every file, and deleting what the shop no longer has.
    bool sendAll() const;
    bool deleteRemoved() const;

    // Callbacks for uploadShop that drive this panel; the report area and the status bar belong to the
    // main window, which passes its own appendReport and showStatus. The upload runs beside the window,
    // whose event loop paints the changes.
    publish::UploadCallbacks callbacks(std::function<void(const QString&)> appendReport,
                                       std::function<void(const QString&)> showStatus);

Q_SIGNALS:
    void saveReportRequested();
    // "<< back": the category tree takes the panel's place again.
    void backRequested();

private:
    std::array<QLabel*, kStepCount> m_steps{};
    std::array<QLabel*, kStepCount> m_markers{};
    QLabel* m_folderCaption = nullptr;
    QListWidget* m_files = nullptr;
    QProgressBar* m_progress = nullptr;
    QCheckBox* m_sendAll = nullptr;
    QCheckBox* m_deleteRemoved = nullptr;
    int m_currentStep = 0;
};
