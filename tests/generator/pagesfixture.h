#pragma once

// A program folder with a products table, a category tree, settings and a shop folder, for the tests of
// the page writers.

#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "catalogue/productstable.h"
#include "fakeinteraction.h"
#include "generator/generatorcontext.h"
#include "shell/settings.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

struct ProductRow {
    QString id;
    QString name;
    double net = 10;
    double gross = 12.3;
    double promotionNet = 8;
    double promotionGross = 9.84;
    QString status = QStringLiteral("Normal");
    QString vat = QStringLiteral("23");
    QString shortDescription;
    QString longDescription;
    bool sizes = false;
    bool colours = false;
    bool dimensions = false;
    QString sizeList;
    QString colourList;
    QString dimensionList;
};

class PagesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = shell::ProgramFolder(dir.path());
        QDir().mkpath(folder.pictures());
        catalogue::createProductsTable(folder.productsTable());
        products.open(folder.productsTable());
        shop = dir.path() + QStringLiteral("/shop");
        QDir().mkpath(shop + QStringLiteral("/img"));
        settings.font.family = QStringLiteral("Arial");
        context = std::make_unique<generator::GeneratorContext>(settings, tree, products, folder, ui);
        context->setTarget(shop, QStringLiteral("index.html"));
    }

    void addProduct(const ProductRow& p)
    {
        products.append();
        products.setValue(QStringLiteral("ID"), p.id);
        products.setValue(QStringLiteral("Nazwa"), p.name);
        products.setValue(QStringLiteral("CenaNetto"), p.net);
        products.setValue(QStringLiteral("CenaBrutto"), p.gross);
        products.setValue(QStringLiteral("PromocjaNetto"), p.promotionNet);
        products.setValue(QStringLiteral("PromocjaBrutto"), p.promotionGross);
        products.setValue(QStringLiteral("Status"), p.status);
        products.setValue(QStringLiteral("VAT"), p.vat);
        products.setValue(QStringLiteral("Opis"), p.shortDescription);
        products.setValue(QStringLiteral("Opis2"), p.longDescription);
        products.setValue(QStringLiteral("R"), p.sizes);
        products.setValue(QStringLiteral("K"), p.colours);
        products.setValue(QStringLiteral("W"), p.dimensions);
        products.setValue(QStringLiteral("Rozmiar"), p.sizeList);
        products.setValue(QStringLiteral("Kolor"), p.colourList);
        products.setValue(QStringLiteral("Wymiar"), p.dimensionList);
        products.post();
    }

    // A product with a given name and ID "ID00000000<n>P" style keys made by the caller.
    ProductRow product(const QString& id, const QString& name)
    {
        ProductRow p;
        p.id = id;
        p.name = name;
        return p;
    }

    catalogue::TreeNode* node(catalogue::TreeNode* parent, const QString& name, const QString& key)
    {
        return tree.addNode(parent, name + QLatin1Char(' ') + key);
    }

    void writePicture(const QString& fileName)
    {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        testsupport::writeFile(folder.pictures() + fileName, catalogue::pictures::encodeJpeg(image));
    }

    QString page(const QString& name) const
    {
        return QString::fromUtf8(testsupport::readFile(shop + QLatin1Char('/') + name));
    }
    bool shopHas(const QString& name) const { return QFile::exists(shop + QLatin1Char('/') + name); }

    QTemporaryDir dir;
    shell::ProgramFolder folder;
    shell::Settings settings;
    catalogue::CategoryTree tree;
    tables::Table products;
    FakeInteraction ui;
    std::unique_ptr<generator::GeneratorContext> context;
    QString shop;
};
