#include "catalogue/productstable.h"

#include "shell/tables/table.h"

namespace catalogue {

QVector<tables::Field> productsTableFields()
{
    using tables::FieldType;
    const auto alpha = [](const char* name, int size) {
        return tables::Field{QString::fromLatin1(name), FieldType::Alpha, size};
    };
    const auto typed = [](const char* name, FieldType type) {
        return tables::Field{QString::fromLatin1(name), type, 0};
    };
    return {
        alpha("ID", 31),
        alpha("Nazwa", 255),
        typed("CenaNetto", FieldType::Number),
        typed("CenaBrutto", FieldType::Money),
        alpha("VAT", 3),
        typed("PromocjaNetto", FieldType::Number),
        typed("PromocjaBrutto", FieldType::Number),
        alpha("Status", 20),
        alpha("Opis", 255),
        typed("Opis2", FieldType::Memo),
        alpha("Jm", 6),
        alpha("SWW", 20),
        alpha("Klasa", 3),
        typed("R", FieldType::Logical),
        typed("K", FieldType::Logical),
        typed("W", FieldType::Logical),
        typed("Rozmiar", FieldType::Memo),
        typed("Kolor", FieldType::Memo),
        typed("Wymiar", FieldType::Memo),
        alpha("Magazyn", 20),
        typed("Liczba", FieldType::Number),
        typed("Temp", FieldType::Number),
        alpha("Index", 80),
    };
}

void createProductsTable(const QString& path)
{
    tables::Table::create(path, productsTableFields());
}

} // namespace catalogue
