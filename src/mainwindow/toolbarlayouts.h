#pragma once

#include <span>

// The four layouts of the main window's toolbar, one per mode, in button order.
enum class ToolbarLayout { Web, Entry, Search, Record };

struct ToolButtonDef {
    const char16_t* key;
    int placeholderWidth; // twips; 0 for an ordinary button
    const char16_t* image;
    const char16_t* caption;
    const char16_t* tooltip;

    bool isPlaceholder() const { return placeholderWidth > 0; }
};

std::span<const ToolButtonDef> toolbarButtons(ToolbarLayout layout);
