#pragma once

#include "shell/programfolder.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace shell {

// Colours are kept as the settings file stores them: blue * 65536 + green * 256 + red.
using ColorValue = int;

constexpr ColorValue colorFromRgb(int red, int green, int blue)
{
    return blue * 65536 + green * 256 + red;
}

// Invoice settings. Only Archiwizacja drives behaviour; the rest are kept so the file keeps them.
struct InvoiceSettings {                                  // [Faktury]
    QString fontName = QStringLiteral("Times New Roman"); // Fczcionka
    QString fontSize = QStringLiteral("14");              // Fczrozmiar
    QString placeOfIssue;                                 // Mwystawienia
    QString paymentMethod = QStringLiteral("gotówka");    // termin (holds the method, not the term)
    QString paymentTerm = QStringLiteral("14 dni");       // forma (holds the term)
    bool logoOnPrint = true;                              // Logo
    bool autoArchive = false;                             // Archiwizacja: back up the data folder on exit
    bool printAsTable = true;                             // Tabela
    bool numberingFromYearStart = true;                   // Numeracja1
    bool numberingFromMonthStart = false;                 // Numeracja2
    QString extraText = QStringLiteral("Dziękujemy");     // Tekst
    QString number = QStringLiteral("1");                 // Nr (checked as an integer by "Close")
    QString numberFormat = QStringLiteral("mm\"/\"yyyy"); // Format
    QString saleDateFormat = QStringLiteral("dd\"/\"mm\"/\"yy");  // Sprzedaz
    QString issueDateFormat = QStringLiteral("dd\"/\"mm\"/\"yy"); // Wystawienie
    int printForm = 0;                                            // Wydruk: index into invoicePrintForms()
    int style = 0;                                                // Styl: index into invoiceStyles()
};

struct FontSettings {                                         // [Font]
    ColorValue color = colorFromRgb(0, 0, 0);                 // kolor: text colour of the shop
    QString size = QStringLiteral("11");                      // rozmiar: "8" … "14"
    QString family;                                           // czcionka: default = first installed font
    QString margin = QStringLiteral("0");                     // margines: "0" … "30"
    QString letterSpacing = QStringLiteral("0.1em");          // znaki
    QString wordSpacing = QStringLiteral("0.5em");            // wyrazy
    ColorValue headerTextColor = colorFromRgb(255, 255, 255); // powitaniekolor
    QString orderThanks = QStringLiteral("Thank you for your order !"); // orderThanks
};

struct ShopOptions {                                // [Opcje]
    int stylePreset = -1;                           // Styl: index into stylePresetNames(), -1 none
    QString linksHeading = QStringLiteral("Go to"); // Nazwa
    int columnsIndex = 3;                           // kolumny: index into "1" … "6"
    int columnCount() const { return columnsIndex + 1; }
    int textFlow = 1;                                        // otaczanie: 0 flow picture, 1 below picture
    bool fixedImageSize = true;                              // imageSize
    int imageWidth = 160;                                    // imageWidt (sic)
    int imageHeight = 120;                                   // imageHeight
    ColorValue menuColor = colorFromRgb(255, 255, 255);      // kolormenu
    ColorValue menuHighlightColor = colorFromRgb(0, 0, 128); // kolormenu2 (navy)
    int promotionMarker = 0;                                 // promocja: 0 button, 1 star, 2 flat button
    int newMarker = 0;                                       // new
    int saleMarker = 0;                                      // sale
    QString currency = QStringLiteral("$");                  // waluta
    QString title;                                           // title
    QString email = QStringLiteral("shop@example.com");      // e-mail: where orders are mailed
    bool usePhp = true;                                      // php (kept only)
    QString shopName = QStringLiteral("Welcome !");          // powitanie
    QString logoPath;                                        // path: header picture
    QString bannerPath;                                      // powitaniepath: welcome page picture
    bool texture = false;                                    // tabela (kept only)
    bool includeWelcomePage = false;                         // powitalna
    bool includeLinks = false;                               // linki
    bool includePriceList = true;                            // cennik
    bool includeInformation = true;                          // informacje
    bool includeRegulation = true;                           // regulamin
    bool payments = true;                                    // pay (kept only)
    bool courier = false;                                    // kurier (kept only)
    bool includeDelivery = false;            // delivery: offer delivery methods in the order form
    bool headerShowsShopName = true;         // powitanie2
    bool headerShowsLogo = false;            // baner (the generator reads this one)
    int headerAlignment = 0;                 // wyrownanie: 0 left, 1 center, 2 right
    bool priceListNet = true;                // Netto
    bool priceListGross = false;             // Brutto
    int theme = 0;                           // motyw: 0 classic (frames), 1 modern
    QString address;                         // adres: the shop's https address (canonical links, sitemap)
    QString language = QStringLiteral("pl"); // jezyk: lang of the modern pages
    QString currencyCode;                    // waluta_kod: ISO 4217 code; empty = derived from waluta
};

// The ISO 4217 code of the shop's currency: waluta_kod when set, else derived from waluta (zł, € and $,
// also with " net"/" gross" after them); empty when neither gives one.
QString currencyCodeOf(const ShopOptions& options);
QStringList themeNames(); // Opcje/motyw

struct MailSettings {                         // [Poczta] (kept only)
    bool deleteFetched = true;                // message1
    bool keepFetched = false;                 // message2
    QString host;                             // host
    QString user;                             // user
    QString pop3Port = QStringLiteral("110"); // pop3
    QString smtpPort = QStringLiteral("25");  // smtp
    bool savePassword = false;                // pasword
    QString password;                         // remembered-password store, value "0xx342"
};

struct FtpSettings {                     // [FTP]
    QString host;                        // host
    QString port = QStringLiteral("21"); // port
    QString user;                        // user
    bool savePassword = false;           // pasword
    bool passive = false;                // pasywny
    bool tls = false;                    // tls: 1 FTPS required (a fresh installation writes 1)
    QString folder;                      // folder: remote folder; empty = "Kalmenor"
    QString password;                    // remembered-password store, value "0xx456"
};

struct HyperLink {
    QString name; // [Linki] Ln: grid row n, column 0
    QString path; // [Linki] Pn: grid row n, column 1
};

// One row of the delivery methods grid, as the grid holds it.
struct DeliveryMethodRow {
    QString name;
    QString price; // as typed
    QString mark;  // "1" = offered
    bool offered() const { return !name.isEmpty() && mark == QStringLiteral("1"); }
};

// Every setting of Kalmenor: the keys of KVO.INI, the memo texts, the remembered passwords and the few
// appearance controls that are not stored. Edited live by the options dialog, read by the generator and
// the upload at the moment they need a value.
struct Settings {
    static constexpr int linkCount = 30;

    InvoiceSettings invoice;                // [Faktury]
    FontSettings font;                      // [Font]
    ShopOptions options;                    // [Opcje]
    MailSettings mail;                      // [Poczta]
    FtpSettings ftp;                        // [FTP]
    std::array<HyperLink, linkCount> links; // [Linki] L1…L30 / P1…P30; links[0] is grid row 1

    // Not stored: back in this state at every start (a colour preset sets the four colours).
    ColorValue headerColor = colorFromRgb(255, 255, 255);  // "Header color"
    ColorValue lineColor = colorFromRgb(0, 0, 0);          // "Line color"
    ColorValue oddColor = colorFromRgb(255, 255, 255);     // "Odd color"
    ColorValue evenColor = colorFromRgb(0xF0, 0xF0, 0xF0); // "Even color"
    bool tableLines = false;                               // "Table lines"
    bool separateDeliveryAddress = true; // "Enter a separate delivery address." (else "Adress")

    // Memo texts, lines joined by '\n'.
    QString infoText;        // "Information about Webshop": Bd/opis.txt
    QString welcomeText;     // welcome page: Bd/powitanie.txt
    QString regulationText;  // "Regulation": Bd/regulamin.txt
    QString metaDescription; // meta "Page description": read from Bd/opis.txt, never stored on its own
    QString metaKeywords;    // meta "Keywords": Bd/klucze.txt
    QString certificates;    // hidden invoice page: <program folder>/certyfikaty.txt

    // The delivery methods grid's shown rows as they stand, unconfirmed edits included. Not part of
    // loadSettings: the delivery editor (or readDeliveryMethods in catalogue/deliverymethods.h) fills it.
    std::vector<DeliveryMethodRow> deliveryMethods;

    // Memo files that exist but could not be read at loading; saveSettings leaves them alone.
    QStringList unreadableTextFiles;
};

// The folder of KVO.INI and the password store: the override (--config-dir) if not empty, else
// $KALMENOR_CONFIG_DIR, else $XDG_CONFIG_HOME/Kalmenor (~/.config/Kalmenor).
QString configFolder(const QString& override = {});

// Loads everything in the start-up order: text files (each on its own), KVO.INI, remembered passwords,
// the colour preset. Never throws: whatever cannot be read keeps its default.
Settings loadSettings(const QString& configDir, const ProgramFolder& folder);

// Stores everything in the closing order: passwords (only while their save box is ticked; unticked
// removes them), text files, KVO.INI (unknown keys kept), certyfikaty.txt. Every store is attempted;
// throws AppError afterwards naming whatever failed.
void saveSettings(const Settings& settings, const QString& configDir, const ProgramFolder& folder);

// Sets the seven preset colours for stylePreset (0…4); any other index changes nothing.
void applyStylePreset(Settings& settings, int presetIndex);

// List entries of the indexed keys (captions, in order).
QStringList stylePresetNames();  // Opcje/Styl
QStringList markerNames();       // Opcje/promocja, new, sale
QStringList textFlowNames();     // Opcje/otaczanie
QStringList alignmentNames();    // Opcje/wyrownanie
QStringList invoicePrintForms(); // Faktury/Wydruk
QStringList invoiceStyles();     // Faktury/Styl

} // namespace shell
