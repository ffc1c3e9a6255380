#include "catalogue/deliverymethods.h"
#include "fakeinteraction.h"
#include "shell/passwordstore.h"
#include "shell/settings.h"
#include "testsupport.h"
#include "ui/kalmenor/colorbox.h"
#include "ui/kalmenor/deliverydialog.h"
#include "ui/kalmenor/deliverygridview.h"
#include "ui/kalmenor/optionsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct OptionsWindowTest : ::testing::Test {
    QTemporaryDir tmp;
    shell::ProgramFolder folder{tmp.filePath(QStringLiteral("prog"))};
    QString config = tmp.filePath(QStringLiteral("cfg"));
    FakeInteraction interaction;
    shell::Settings settings;
    std::unique_ptr<OptionsDialog> dialog;

    void SetUp() override
    {
        QDir().mkpath(folder.data());
        // a settings file without keys: the design defaults, not a fresh installation's
        QDir().mkpath(config);
        testsupport::writeFile(config + QStringLiteral("/KVO.INI"), "");
    }
    void open()
    {
        settings = shell::loadSettings(config, folder);
        dialog = std::make_unique<OptionsDialog>(settings, config, folder, interaction);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    template <typename W> W* find(const char* name)
    {
        W* w = dialog->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QByteArray ini() { return readFile(config + QStringLiteral("/KVO.INI")); }
};

} // namespace

TEST_F(OptionsWindowTest, CaptionPagesAndDesignState)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Options"));
    QStringList tabs;
    for (int i = 0; i < find<QTabWidget>("optionsPages")->count(); ++i)
        tabs << find<QTabWidget>("optionsPages")->tabText(i);
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("Main"), QStringLiteral("Webshop"),
                                 QStringLiteral("Welcome page"), QStringLiteral("Sending form"),
                                 QStringLiteral("Price list"), QStringLiteral("Information about Webshop"),
                                 QStringLiteral("Regulation"), QStringLiteral("Hyperlinks"),
                                 QStringLiteral("Meta tags"), QStringLiteral("FTP")}));
    EXPECT_EQ(find<QComboBox>("webShopStyleBox")->currentIndex(), -1);
    EXPECT_EQ(find<QComboBox>("columnCountBox")->currentText(), QStringLiteral("4"));
    EXPECT_EQ(find<QComboBox>("flowTextBox")->currentText(), QStringLiteral("below picture"));
    EXPECT_EQ(find<QComboBox>("promotionMarkerBox")->currentText(), QStringLiteral("button"));
    EXPECT_EQ(find<QLineEdit>("ftpPortEdit")->text(), QStringLiteral("21"));
    EXPECT_TRUE(find<QRadioButton>("shopNameRadio")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("separateAddressRadio")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("tableLinesCheck")->isChecked());
    EXPECT_EQ(find<ColorBox>("menuHighlightColorBox")->currentText(), QStringLiteral("Navy"));
    EXPECT_EQ(find<QSpinBox>("imageWidthSpin")->value(), 160);
    const QTableWidget* links = find<QTableWidget>("linkGrid");
    EXPECT_EQ(links->horizontalHeaderItem(0)->text(), QStringLiteral("Link name"));
    EXPECT_EQ(links->horizontalHeaderItem(1)->text(), QStringLiteral("Link path"));
    EXPECT_EQ(links->rowCount(), shell::Settings::linkCount);
    EXPECT_TRUE(find<QLabel>("presetPreview")->pixmap().isNull());

    // Every page looks tidy; pictures for a look by eye when asked for.
    const QString shots = qEnvironmentVariable("KAL_SCREENSHOT_DIR");
    for (int i = 0; i < find<QTabWidget>("optionsPages")->count() && !shots.isEmpty(); ++i) {
        find<QTabWidget>("optionsPages")->setCurrentIndex(i);
        QTest::qWait(50);
        dialog->grab().save(QStringLiteral("%1/options-%2.png").arg(shots).arg(i));
    }
}

TEST_F(OptionsWindowTest, EditsCountAtOnceAndCloseStoresThem)
{
    open();
    QTest::keyClicks(find<QLineEdit>("titleEdit"), QStringLiteral("Moj sklep"));
    EXPECT_EQ(settings.options.title, QStringLiteral("Moj sklep")); // live, before any closing
    find<QComboBox>("columnCountBox")->setCurrentIndex(1);
    EXPECT_EQ(settings.options.columnCount(), 2);
    find<QCheckBox>("includeDeliveryCheck")->click();
    EXPECT_TRUE(settings.options.includeDelivery);
    find<QRadioButton>("grossPricesRadio")->click();
    EXPECT_TRUE(settings.options.priceListGross);
    EXPECT_FALSE(settings.options.priceListNet);
    find<QComboBox>("currencyBox")->setCurrentText(QStringLiteral("zł"));
    EXPECT_EQ(settings.options.currency, QStringLiteral("zł"));
    find<QPlainTextEdit>("welcomeTextEdit")->setPlainText(QStringLiteral("Witamy\nserdecznie"));
    find<QSpinBox>("imageHeightSpin")->setValue(99);
    EXPECT_EQ(settings.options.imageHeight, 99);

    find<QPushButton>("closeButton")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(interaction.errors.isEmpty()) << qPrintable(interaction.errors.join(QLatin1Char('\n')));
    EXPECT_TRUE(ini().contains("kolumny=1"));
    EXPECT_TRUE(ini().contains("Brutto=1"));
    EXPECT_TRUE(ini().contains("imageHeight=99"));
    EXPECT_EQ(readFile(folder.dataFile(QStringLiteral("powitanie.txt"))),
              QByteArray("Witamy\r\nserdecznie\r\n"));
    const shell::Settings next = shell::loadSettings(config, folder);
    EXPECT_EQ(next.options.title, QStringLiteral("Moj sklep"));
    EXPECT_EQ(next.options.currency, QStringLiteral("zł"));
}

TEST_F(OptionsWindowTest, CloseRefusesAnInvoiceNumberThatIsNotANumberButTheFrameStillStores)
{
    writeFile(config + QStringLiteral("/KVO.INI"), "[Faktury]\r\nNr=12a\r\n");
    open();
    find<QLineEdit>("ftpHostEdit")->setText(QStringLiteral("ftp.example.com"));
    find<QPushButton>("closeButton")->click();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(interaction.errors.size(), 1);
    EXPECT_TRUE(interaction.errors[0].contains(QStringLiteral("'12a' is not a valid integer value")));
    dialog->close(); // the frame
    EXPECT_TRUE(ini().contains("host=ftp.example.com"));
    EXPECT_TRUE(ini().contains("Nr=12a"));
}

TEST_F(OptionsWindowTest, PresetSetsSevenColoursAndShowsItsPicture)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QDir().mkpath(folder.style() + QStringLiteral("Szablon"));
    picture.save(folder.style() + QStringLiteral("Szablon/3.jpg"));
    open();
    QComboBox* style = find<QComboBox>("webShopStyleBox");
    style->setCurrentIndex(3);
    Q_EMIT style->activated(3); // as the user's choice does
    EXPECT_EQ(settings.options.stylePreset, 3);
    EXPECT_EQ(settings.headerColor, shell::colorFromRgb(0xFE, 0x99, 0x00));
    EXPECT_EQ(settings.options.menuHighlightColor, shell::colorFromRgb(0xFF, 0xFF, 0x80));
    EXPECT_EQ(find<ColorBox>("lineColorBox")->color(), shell::colorFromRgb(0xDE, 0x50, 0x0C));
    EXPECT_FALSE(find<QLabel>("presetPreview")->pixmap().isNull());
    style->setCurrentIndex(1);
    Q_EMIT style->activated(1); // Ocean has no picture here: none is shown, silently
    EXPECT_TRUE(find<QLabel>("presetPreview")->pixmap().isNull());
    EXPECT_TRUE(interaction.errors.isEmpty());
}

TEST_F(OptionsWindowTest, PictureButtonsAndInsertHyperlink)
{
    open();
    interaction.files.push_back(QStringLiteral("/srv/pics/logo.png"));
    find<QToolButton>("logoBrowseButton")->click();
    EXPECT_EQ(settings.options.logoPath, QStringLiteral("/srv/pics/logo.png"));
    find<QToolButton>("bannerBrowseButton")->click(); // cancelled: unchanged
    EXPECT_TRUE(settings.options.bannerPath.isEmpty());

    interaction.files.push_back(QStringLiteral("/srv/docs/cennik.2024.pdf"));
    find<QPushButton>("insertHyperlinkButton")->click();
    EXPECT_EQ(settings.links[0].name, QStringLiteral("cennik"));
    EXPECT_EQ(settings.links[0].path, QStringLiteral("/srv/docs/cennik.2024.pdf"));
    QTableWidget* grid = find<QTableWidget>("linkGrid");
    grid->setCurrentCell(4, 1);
    interaction.files.push_back(QStringLiteral("/srv/docs/kontakt.html"));
    find<QPushButton>("insertHyperlinkButton")->click();
    EXPECT_EQ(settings.links[4].name, QStringLiteral("kontakt"));
    grid->item(2, 0)->setText(QStringLiteral("Only a name"));
    EXPECT_EQ(settings.links[2].name, QStringLiteral("Only a name"));
    dialog->close();
    EXPECT_TRUE(ini().contains("L5=kontakt"));
    EXPECT_TRUE(ini().contains("L3=Only a name\r\n"));
    EXPECT_TRUE(ini().contains("P3=\r\n"));
}

TEST_F(OptionsWindowTest, SavePasswordBoxDecidesWhatIsRemembered)
{
    open();
    find<QLineEdit>("ftpPasswordEdit")->setText(QStringLiteral("sekret"));
    find<QCheckBox>("ftpSavePasswordCheck")->setChecked(true);
    dialog->close();
    EXPECT_EQ(shell::PasswordStore(config).read(shell::PasswordStore::ftpValueName()).value_or(QString()),
              QStringLiteral("sekret"));
    dialog->show();
    find<QCheckBox>("ftpSavePasswordCheck")->setChecked(false);
    dialog->close();
    EXPECT_FALSE(shell::PasswordStore(config).read(shell::PasswordStore::ftpValueName()).has_value());
    EXPECT_EQ(find<QLineEdit>("ftpPasswordEdit")->maxLength(), 254);
}

TEST_F(OptionsWindowTest, DeliveryGridInSendingForm)
{
    writeFile(deliveryFilePath(folder), "Poczta|12,50|1\r\nKurier|30|0\r\n||\r\n");
    open();
    DeliveryDialog* editor = find<DeliveryDialog>("deliveryDialog");
    EXPECT_EQ(editor->parentWidget(), find<QWidget>("deliveryPanel"));
    DeliveryGridView* grid = editor->grid();
    ASSERT_EQ(settings.deliveryMethods.size(), 2u);
    find<QTabWidget>("optionsPages")->setCurrentIndex(3);
    QTest::qWait(20);

    // A click on the mark toggles it and leaves the current cell alone.
    grid->setCurrentIndex(grid->model()->index(0, DeliveryMethodsModel::NameColumn));
    const QRect markCell = grid->visualRect(grid->model()->index(1, DeliveryMethodsModel::MarkColumn));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, markCell.center());
    EXPECT_TRUE(settings.deliveryMethods[1].offered()); // the generator sees it before "Confirm"
    EXPECT_EQ(grid->currentIndex().column(), int(DeliveryMethodsModel::NameColumn));
    EXPECT_EQ(grid->currentIndex().row(), 0);

    // Moving into the mark column with the keyboard toggles it too, and the move is refused.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, DeliveryMethodsModel::PriceColumn));
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_FALSE(settings.deliveryMethods[0].offered());
    EXPECT_EQ(grid->currentIndex().column(), int(DeliveryMethodsModel::PriceColumn));

    // Typing a price: a character that spoils the number is undone at once.
    grid->edit(grid->currentIndex());
    auto* priceEditor = grid->findChild<QLineEdit*>(QStringLiteral("priceEditor"));
    ASSERT_NE(priceEditor, nullptr);
    priceEditor->selectAll();
    QTest::keyClicks(priceEditor, QStringLiteral("9x,5"));
    EXPECT_EQ(priceEditor->text(), QStringLiteral("9,5"));
    priceEditor->selectAll();
    priceEditor->insert(QStringLiteral("abc")); // not textEdited: goes through the model's check
    QTest::keyClick(priceEditor, Qt::Key_Return);
    QTest::qWait(0); // the editor commits on the next turn of the event loop
    EXPECT_EQ(settings.deliveryMethods[0].price, QStringLiteral("9,5"));

    editor->findChild<QPushButton*>(QStringLiteral("addDeliveryRowButton"))->click();
    EXPECT_EQ(settings.deliveryMethods.size(), 3u);
    EXPECT_EQ(readFile(deliveryFilePath(folder)), QByteArray("Poczta|12,50|1\r\nKurier|30|0\r\n||\r\n"));
    editor->findChild<QPushButton*>(QStringLiteral("confirmDeliveryButton"))->click();
    EXPECT_EQ(readFile(deliveryFilePath(folder)), QByteArray("Poczta|9,5|0\r\nKurier|30|1\r\n||\r\n||\r\n"));

    grid->setCurrentIndex(grid->model()->index(0, DeliveryMethodsModel::NameColumn));
    editor->findChild<QPushButton*>(QStringLiteral("deleteDeliveryRowButton"))->click();
    ASSERT_EQ(settings.deliveryMethods.size(), 2u);
    EXPECT_EQ(settings.deliveryMethods[0].name, QStringLiteral("Kurier"));
    editor->findChild<QPushButton*>(QStringLiteral("cancelDeliveryButton"))->click();
    EXPECT_EQ(settings.deliveryMethods.size(), 3u);
    EXPECT_EQ(settings.deliveryMethods[0].name, QStringLiteral("Poczta"));
}

TEST_F(OptionsWindowTest, ClosingAWindowNeverShownStillStores)
{
    settings = shell::loadSettings(config, folder);
    dialog = std::make_unique<OptionsDialog>(settings, config, folder, interaction);
    settings.options.title = QStringLiteral("Set elsewhere");
    dialog->close(); // "Exit" of the main window closes the options window whether it shows or not
    EXPECT_TRUE(ini().contains("title=Set elsewhere"));
    EXPECT_TRUE(QFile::exists(folder.dataFile(QStringLiteral("opis.txt"))));
}
