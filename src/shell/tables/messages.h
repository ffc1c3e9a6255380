#pragma once

#include <QString>

#include <utility>
#include <vector>

// The engine's messages speak the language of the program that shows them: Kalmenor's windows are English,
// Importer's Polish. Each message is written once, in English, where it is raised; its Polish form lives
// in one table (messages_pl.cpp), found by the English text.
namespace tables {

enum class MessageLanguage { English, Polish };

// For the whole program, set once at its start (English unless set).
void setMessageLanguage(MessageLanguage language);

// english in the chosen language; the English text itself when the table lacks it.
QString msg(const char* english);

// Every Polish form, by its English text (for the check that each message has one, with the same
// placeholders).
const std::vector<std::pair<const char*, const char*>>& polishMessages();

} // namespace tables
