// The upload step panel: steps and marker, file list and progress driven by a real upload.
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "publish/ftpclient.h"
#include "publish/inactivitylimit.h"
#include "publish/shopupload.h"
#include "shell/settings.h"
#include "testsupport.h"
#include "ui/kalmenor/uploadpanel.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace publish;

namespace {

void expectCurrentStep(const UploadPanel& panel, int step)
{
    EXPECT_EQ(panel.currentStep(), step);
    for (int i = 1; i <= UploadPanel::kStepCount; ++i) {
        EXPECT_EQ(panel.stepLabel(i)->font().bold(), i == step) << "step " << i;
        EXPECT_EQ(panel.stepMarker(i)->isVisibleTo(&panel), i == step) << "marker " << i;
    }
}

TEST(UploadPanel, StepsMarkerAndSaveLink)
{
    UploadPanel panel;
    EXPECT_EQ(panel.stepLabel(1)->text(), QStringLiteral("1. Generating store"));
    EXPECT_EQ(panel.stepLabel(2)->text(), QStringLiteral("2. Establish connection"));
    EXPECT_EQ(panel.stepLabel(3)->text(), QStringLiteral("3. Sending store to FTP"));
    expectCurrentStep(panel, 1);
    panel.markStep(2);
    expectCurrentStep(panel, 2);
    panel.markStep(3);
    expectCurrentStep(panel, 3);

    panel.showFolder(QStringLiteral("/tmp/x"), {QStringLiteral("a.html")});
    panel.reset(); // a second run starts again at step 1 alone
    expectCurrentStep(panel, 1);
    EXPECT_EQ(panel.findChild<QListWidget*>(QStringLiteral("uploadFiles"))->count(), 0);

    QSignalSpy spy(&panel, &UploadPanel::saveReportRequested);
    auto* link = panel.findChild<QLabel*>(QStringLiteral("saveReportLink"));
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->text().contains(QStringLiteral("Save report")));
    Q_EMIT link->linkActivated(QStringLiteral("save"));
    EXPECT_EQ(spy.count(), 1);
}

TEST(UploadPanel, FollowsARealUpload)
{
    const InactivityLimit limit(std::chrono::seconds(10));
    RealFtpServer server;
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    QTemporaryDir local;
    const QString shop = local.filePath(QStringLiteral("Kalmenor"));
    for (const char* name : {"index.html", "top.html", "menu.html", "ID000000001K.html", "ID000000002P.html",
                             "send.html", "send.php", "sk.js", "color.css", "empty.html"})
        testsupport::writeFile(shop + QLatin1Char('/') + QLatin1String(name), QByteArray("<html></html>"));
    for (const char* name : {"orvane.jpg", "ID000000002P.jpg", "ID000000002P_m.jpg"})
        testsupport::writeFile(shop + QStringLiteral("/img/") + QLatin1String(name), QByteArray(5000, 'j'));

    QWidget window;
    window.resize(640, 480);
    auto* layout = new QHBoxLayout(&window);
    auto* panel = new UploadPanel(&window);
    auto* report = new QPlainTextEdit(&window);
    layout->addWidget(panel);
    layout->addWidget(report, 1);
    window.show();

    QStringList statuses;
    int highlightedWhileSending = -1;
    UploadCallbacks callbacks =
        panel->callbacks([report](const QString& line) { report->appendPlainText(line); },
                         [&statuses](const QString& text) { statuses << text; });
    const auto starting = callbacks.fileStarting;
    callbacks.fileStarting = [&, starting](int index, int progress) {
        starting(index, progress);
        highlightedWhileSending = panel->findChild<QListWidget*>(QStringLiteral("uploadFiles"))->currentRow();
        EXPECT_EQ(panel->progressBar()->value(), progress);
    };

    const shell::FtpSettings ftp = localFtpSettings(server.port(), true);
    FakeInteraction interaction;
    FtpClient client;
    panel->markStep(2);
    const UploadResult result = uploadShop(shop, ftp, QTime::currentTime(), client, callbacks, interaction);

    EXPECT_TRUE(result.succeeded()) << interaction.errors.join(QLatin1Char('\n')).toStdString();
    expectCurrentStep(*panel, 3);
    EXPECT_EQ(panel->progressBar()->maximum(), 13);
    EXPECT_EQ(panel->progressBar()->value(), 13);
    // Pictures go first, so the list shows the pages at the end, the start page (sent last) highlighted.
    EXPECT_EQ(panel->findChild<QListWidget*>(QStringLiteral("uploadFiles"))->count(), 10);
    EXPECT_EQ(highlightedWhileSending, 9);
    EXPECT_EQ(panel->findChild<QListWidget*>(QStringLiteral("uploadFiles"))->item(9)->text(),
              QStringLiteral("index.html"));
    EXPECT_TRUE(report->toPlainText().contains(QStringLiteral("orvane.jpg plik pomyślnie przesłany")));
    EXPECT_EQ(statuses.last(), QStringLiteral("Disconnected"));

    // A picture of the panel after the upload, for the record.
    const QString shot = QDir::current().filePath(QStringLiteral("uploadpanel.png"));
    EXPECT_TRUE(window.grab().save(shot));
}

} // namespace
