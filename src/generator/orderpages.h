#pragma once

#include "generator/pagewriters.h"

#include <QString>

namespace generator {

// The two files of the order, built from the settings in force.
QString orderFormText(const shell::Settings& settings);   // send.html
QString orderScriptText(const shell::Settings& settings); // send.php

} // namespace generator
