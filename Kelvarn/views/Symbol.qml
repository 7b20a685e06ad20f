import QtQuick
import QtQuick.Controls.impl

import "Style.js" as Style

// One of the project's monochrome symbols, tinted with `color`.
IconImage {
    required property string symbol
    property int size: 16

    source: Style.symbol(symbol)
    sourceSize.width: size
    sourceSize.height: size
    color: palette.windowText
}
