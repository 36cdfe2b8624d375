#pragma once

#include <vector>

enum class TextKind { Caption, Hint };

// One translated text of the main window: the control, its language key, and whether the text
// is its caption or its hint (with fixed text around the translation, if any).
struct WidgetText {
    const char* name;
    const char* key;
    TextKind kind = TextKind::Caption;
    const char* before = "";
    const char* after = "";
};

const std::vector<WidgetText>& mainWindowTexts();
