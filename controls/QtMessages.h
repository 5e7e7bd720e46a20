#pragma once

#include "core/WindowPort.h"

class QWidget;

// Shows a message box and waits for the answer. When the test setting
// RINGLARK_TEST_MESSAGES names a file, nothing is shown: the message is
// appended to that file as "title<TAB>text" and answered with OK. Users never
// have it set.
MessageResult showMessage(QWidget* parent, std::u16string_view text, std::u16string_view title,
                          MessageButtons buttons);
