// Generation and upload from the window: they run beside the window, never move the product form,
// store what the user typed first, and stop on Cancel.
#include "catalogue/categorytree.h"
#include "catalogue/treecommands.h"
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "publish/inactivitylimit.h"
#include "shell/error.h"
#include "shell/settings.h"
#include "shell/tables/table.h"
#include "testsupport.h"
#include "ui/kalmenor/categorytreeview.h"
#include "ui/kalmenor/mainwindow.h"
#include "ui/kalmenor/shoprun.h"
#include "ui/kalmenor/uploadpanel.h"
#include "ui/kalmenor/webshoppage.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class RunTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QTemporaryDir config;
    FakeInteraction ui;
    std::unique_ptr<MainWindow> w;

    shell::ProgramFolder folder() const { return shell::ProgramFolder(dir.path()); }
    // Three products A, B, C, each with its tree entry.
    void startWithThreeProducts()
    {
        QDir().mkpath(dir.filePath(QStringLiteral("Bd/jpg")));
        testsupport::writeFile(folder().treeFile(),
                               "Kubki ID000000010K\r\n\tA ID000000001P\r\n\tB ID000000002P\r\n"
                               "\tC ID000000003P\r\n");
        w = std::make_unique<MainWindow>(folder(), config.path(), ui);
        w->start();
        w->resize(1200, 800);
        find<QTabWidget>("mainPages")->setCurrentIndex(1);
        w->show();
        tables::Table& products = w->workspace().products();
        int n = 1;
        for (const char* name : {"A", "B", "C"}) {
            products.append();
            products.setValue(QStringLiteral("Nazwa"), QString::fromLatin1(name));
            products.setValue(QStringLiteral("ID"), QStringLiteral("ID00000000%1P").arg(n++));
            products.post();
        }
    }
    template <typename T> T* find(const char* name) const
    {
        T* found = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    ShopRun* run() const { return find<ShopRun>("shopRun"); }
    void clickProductNode(int row)
    {
        CategoryTreeView* view = find<CategoryTreeView>("TreeView1");
        catalogue::TreeNode* node = w->workspace().tree().topLevel(0)->child(row);
        view->selectNode(node);
        Q_EMIT view->nodeClicked(node);
    }
    QString report() const { return find<QPlainTextEdit>("FTPMemoStatus")->toPlainText(); }
};

TEST_F(RunTest, GenerationLeavesTheFormTheTreeAndTheListWhereTheUserLeftThem)
{
    startWithThreeProducts();
    tables::Table& products = w->workspace().products();
    auto* statusFilter = find<QComboBox>("statusFilter");
    statusFilter->setCurrentIndex(1); // "Normal": every product here
    const int shownFilter = statusFilter->currentIndex();
    clickProductNode(1); // B
    ASSERT_EQ(products.text(QStringLiteral("Nazwa")), QStringLiteral("B"));

    for (const auto& command : {&MainWindow::previewShop, &MainWindow::buildShop}) {
        ui.files = {dir.filePath(QStringLiteral("out/shop.html"))};
        (w.get()->*command)();
        run()->waitUntilFinished();
        EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(products.text(QStringLiteral("Nazwa")), QStringLiteral("B"));
        EXPECT_EQ(find<CategoryTreeView>("TreeView1")->selectedNode()->displayName(), QStringLiteral("B"));
        // Box and list agree: the run did not clear the window's filter behind the box's back.
        EXPECT_EQ(statusFilter->currentIndex(), shownFilter);
        EXPECT_EQ(products.filter(), catalogue::statusFilterText(shownFilter));
        auto* progress = find<QProgressBar>("generationProgress");
        EXPECT_EQ(progress->value(), progress->maximum()); // a finished run shows a full bar
    }
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("out/shop/ID000000002P.html"))));
    EXPECT_TRUE(QFile::exists(folder().previewShop() + QStringLiteral("/ID000000003P.html")));
}

TEST_F(RunTest, ATypedEditIsStoredBeforeTheRunAndABadOneStopsIt)
{
    startWithThreeProducts();
    tables::Table& products = w->workspace().products();
    clickProductNode(0); // A
    auto* net = find<QLineEdit>("netPriceEdit");
    net->setText(QStringLiteral("12"));
    Q_EMIT net->textEdited(net->text());
    ASSERT_NE(products.state(), tables::DataSet::State::Browse);
    w->previewShop();
    run()->waitUntilFinished();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(products.state(), tables::DataSet::State::Browse);
    EXPECT_DOUBLE_EQ(products.value(QStringLiteral("CenaNetto")).toDouble(), 12.0);
    EXPECT_TRUE(
        testsupport::readFile(folder().previewShop() + QStringLiteral("/ID000000001P.html")).contains("12"));

    // Not a number: reported as at storing, and no run starts.
    QFile::remove(folder().previewShop() + QStringLiteral("/index.html"));
    net->setText(QStringLiteral("dwanaście"));
    Q_EMIT net->textEdited(net->text());
    w->previewShop();
    EXPECT_FALSE(run()->isRunning());
    run()->waitUntilFinished();
    EXPECT_EQ(ui.errors.size(), 1);
    EXPECT_FALSE(QFile::exists(folder().previewShop() + QStringLiteral("/index.html")));
    EXPECT_TRUE(ui.opened.size() == 1); // only the first preview opened a page

    // The status filter, too, stores a typed edit before it changes the list.
    ui.errors.clear();
    net->setText(QStringLiteral("7"));
    Q_EMIT net->textEdited(net->text());
    find<QComboBox>("statusFilter")->setCurrentIndex(1);
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(products.filter(), catalogue::statusFilterText(1));
}

TEST_F(RunTest, VatBoxOffersTodaysRatesAndTakesATypedOne)
{
    startWithThreeProducts();
    tables::Table& products = w->workspace().products();
    clickProductNode(2);
    auto* vat = find<QComboBox>("vatBox");
    for (const QString& rate :
         {QStringLiteral("0"), QStringLiteral("23"), QStringLiteral("27"), QStringLiteral("zw.")})
        EXPECT_GE(vat->findText(rate), 0) << qPrintable(rate);
    vat->setCurrentText(QStringLiteral("8"));
    ASSERT_TRUE(find<WebshopPage>("webshopPage")->storePendingEdit());
    EXPECT_EQ(products.text(QStringLiteral("VAT")), QStringLiteral("8"));
    vat->lineEdit()->setText(QStringLiteral("25"));
    ASSERT_TRUE(find<WebshopPage>("webshopPage")->storePendingEdit());
    EXPECT_EQ(products.text(QStringLiteral("VAT")), QStringLiteral("25"));
    EXPECT_EQ(find<QPushButton>("buildButton")->toolTip(), QStringLiteral("Generate Webshop"));
}

TEST_F(RunTest, TheWindowKeepsServingDuringALongUploadAndCancelStopsItBetweenFiles)
{
    const InactivityLimit limit(std::chrono::seconds(10));
    RealFtpServer server;
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    startWithThreeProducts();
    // 2,000 pictures in the publishing folder: the run sends them before the pages.
    const QString img = folder().publishShop() + QStringLiteral("/img/");
    QDir().mkpath(img);
    const QByteArray picture(3000, 'j');
    for (int i = 0; i < 2000; ++i)
        testsupport::writeFile(img + QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0')), picture);
    w->settings().ftp = localFtpSettings(server.port(), true);

    int ticks = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();

    auto* side = find<QStackedWidget>("sidePanels");
    auto* panel = find<UploadPanel>("uploadPanel");
    auto* files = panel->findChild<QProgressBar*>(QStringLiteral("uploadProgress"));
    find<QPushButton>("uploadButton")->click();
    EXPECT_EQ(side->currentWidget(), panel); // the steps take the tree's place
    EXPECT_TRUE(run()->isRunning());
    EXPECT_FALSE(find<QPushButton>("uploadButton")->isEnabled());
    // The event loop runs while files go out: the timer fires and the bar moves.
    const int ticksAtStart = ticks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return files->value() >= 200 || !run()->isRunning(); }, 120000));
    EXPECT_GT(ticks, ticksAtStart);
    find<QPushButton>("cancelRunButton")->click();
    run()->waitUntilFinished();
    timer.stop();

    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(report().contains(QStringLiteral("Upload cancelled before"))) << qPrintable(report());
    EXPECT_TRUE(report().contains(QStringLiteral("Disconnected")));
    int sent = 0;
    for (QDirIterator it(server.home() + QStringLiteral("/Kalmenor/img"), QDir::Files); it.hasNext();) {
        const QFileInfo remote(it.next());
        EXPECT_EQ(remote.size(), picture.size()) << qPrintable(remote.fileName()); // never half a file
        ++sent;
    }
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, 2000);
    EXPECT_TRUE(find<QPushButton>("uploadButton")->isEnabled());

    const QString shots = qEnvironmentVariable("KAL_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        w->grab().save(shots + QStringLiteral("/kalmenor-upload-cancelled.png"));
    // "<< back" gives the tree its place again.
    Q_EMIT panel->findChild<QLabel*>(QStringLiteral("uploadBackLink"))->linkActivated(QStringLiteral("back"));
    EXPECT_NE(side->currentWidget(), panel);
    EXPECT_TRUE(find<CategoryTreeView>("TreeView1")->isVisible());
}

TEST_F(RunTest, CancelStopsAGenerationBetweenPages)
{
    QDir().mkpath(dir.filePath(QStringLiteral("Bd/jpg")));
    QByteArray tree = "Kubki ID000000010K\r\n";
    for (int i = 1; i <= 2000; ++i)
        tree += QStringLiteral("\tP%1 ID%2P\r\n").arg(i).arg(i, 9, 10, QLatin1Char('0')).toLatin1();
    testsupport::writeFile(folder().treeFile(), tree);
    // the classic pages: a page per missing product, so there is a page to stop between
    testsupport::writeFile(config.filePath(QStringLiteral("KVO.INI")), "[Opcje]\r\nmotyw=0\r\n");
    w = std::make_unique<MainWindow>(folder(), config.path(), ui);
    w->start();
    w->show();
    w->previewShop();
    // Two thousand pages take far longer than this next step of the window's thread.
    find<QPushButton>("cancelRunButton")->click();
    run()->waitUntilFinished();
    EXPECT_TRUE(report().contains(QStringLiteral("Cancelled by the user"))) << qPrintable(report());
    EXPECT_TRUE(ui.opened.isEmpty()); // a stopped preview opens nothing
    EXPECT_FALSE(report().contains(QStringLiteral("\nEND\n")));
}

TEST_F(RunTest, AModernRunAsksForAnUnknownCurrencyCodeAndKeepsIt)
{
    testsupport::writeFile(config.filePath(QStringLiteral("KVO.INI")),
                           "[Opcje]\r\nmotyw=1\r\nwaluta=pound\r\n");
    startWithThreeProducts();
    const QString index = folder().previewShop() + QStringLiteral("/index.html");

    // Cancelled: said in the report and a box, nothing built, nothing stored.
    w->previewShop();
    run()->waitUntilFinished();
    ASSERT_EQ(ui.textQuestions.size(), 1);
    EXPECT_TRUE(report().contains(QStringLiteral("waluta_kod"))) << qPrintable(report());
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(QFile::exists(index));
    EXPECT_TRUE(ui.opened.isEmpty());

    // Answered: the shop is built with it, and the settings (and their file) keep it.
    ui.texts = {QStringLiteral("gbp")};
    w->previewShop();
    run()->waitUntilFinished();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFile::exists(index));
    EXPECT_EQ(w->settings().options.currencyCode, QStringLiteral("GBP"));
    EXPECT_TRUE(testsupport::readFile(config.filePath(QStringLiteral("KVO.INI"))).contains("waluta_kod=GBP"));
    EXPECT_TRUE(testsupport::readFile(folder().previewShop() + QStringLiteral("/ID000000001P.html"))
                    .contains("\"priceCurrency\":\"GBP\""));

    // Known now: not asked again.
    w->previewShop();
    run()->waitUntilFinished();
    EXPECT_EQ(ui.textQuestions.size(), 2);
}

} // namespace

namespace {

TEST_F(RunTest, AReadOnlyProductsTableIsCheckedBeforeAnythingIsTouched)
{
    startWithThreeProducts();
    tables::Table& products = w->workspace().products();
    const QString picture = folder().pictures() + QStringLiteral("ID000000002P.jpg");
    testsupport::writeFile(picture, "jpeg");
    products.close();
    products.setReadOnlyReason(QStringLiteral("kept unchanged by the test"));
    products.open();
    clickProductNode(1); // B
    ASSERT_EQ(products.text(QStringLiteral("Nazwa")), QStringLiteral("B"));

    // The navigators say why they cannot delete or edit.
    for (const char* name : {"productInfoNavigator", "productListNavigator"}) {
        auto* navigator = find<QWidget>(name);
        auto* remove = navigator->findChild<QToolButton*>(QStringLiteral("deleteButton"));
        ASSERT_TRUE(remove) << name;
        EXPECT_FALSE(remove->isEnabled()) << name;
        EXPECT_TRUE(remove->toolTip().contains(QStringLiteral("kept unchanged by the test"))) << name;
    }

    // Any other way to delete fails before the tree entry or the pictures go.
    const int nodes = w->workspace().tree().nodeCount();
    EXPECT_THROW(products.remove(), shell::AppError);
    EXPECT_EQ(w->workspace().tree().nodeCount(), nodes);
    EXPECT_TRUE(QFile::exists(picture));
    EXPECT_EQ(products.recordCount(), 3);

    ui.answers = {true};
    find<QPushButton>("deleteSmallPictureButton")->click();
    EXPECT_TRUE(QFile::exists(picture));
    EXPECT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(ui.questions.isEmpty()); // refused before asking
}

} // namespace
