#pragma once

#include "generator/pagewriters.h"

#include <QString>

namespace generator {

// The two files of the order, built from the settings in force.
QString orderFormText(const Settings& settings);   // send.html
QString orderScriptText(const Settings& settings); // send.php

} // namespace generator
