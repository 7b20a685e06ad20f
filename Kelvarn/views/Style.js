.pragma library

// Tints chosen to read on light and dark palettes alike.
const green = "#2e9d4f"
const teal = "#1b9aa0"
const orange = "#e07b12"
const red = "#d63c3c"
const blue = "#2f7de1"
const gray = "#8e8e93"

// The address of one of the project's symbols (icons/NAME.svg), drawn in black to be tinted.
function symbol(name) {
    return "qrc:/qt/qml/Kelvarn/icons/" + name + ".svg"
}

// A colour named by the C++ side; "secondary" is the palette's own.
function namedColor(name, palette) {
    switch (name) {
    case "green": return green
    case "orange": return orange
    case "red": return red
    case "gray": return gray
    }
    return palette.placeholderText
}

function levelColor(level) {
    switch (level) {
    case "complete": return green
    case "mostly": return teal
    case "somewhat": return orange
    case "incomplete": return red
    }
    return "transparent"
}

// Feed lines by kind; heard lines are secondary and actions primary, both from the palette.
function kindColor(kind, palette) {
    switch (kind) {
    case "heard": return palette.placeholderText
    case "note": return blue
    case "question": return orange
    case "warning": return red
    }
    return palette.windowText
}

function kindSymbol(kind) {
    switch (kind) {
    case "heard": return "quote.opening"
    case "note": return "text.alignleft"
    case "question": return "questionmark.circle"
    case "warning": return "exclamationmark.triangle"
    }
    return "checkmark"
}

function withAlpha(color, alpha) {
    return Qt.rgba(color.r, color.g, color.b, alpha)
}
