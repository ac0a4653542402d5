#pragma once

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

class StyledButton;

// The stored form of a StyledButton: a keyed property bag kept as a JSON
// object. Keys compare without regard to case. A property equal to its
// default is left out, except "Icon", "Tooltiptitle", "ToolTipIcon",
// "ToolTipType" and "Font", which are always written. Entries with other
// keys belong to the container (the form that holds the button) and are
// kept as they are.
//
//   key                  JSON value                         default
//   "Icon"               null, "path", or {"png": "base64"} null (no picture)
//   "Style"              whole number                        3
//   "Caption"            text                                "StyledButton"
//   "IconSize"           whole number, 16 bits               16
//   "CaptionAlign"       whole number                        0
//   "IconAlign"          whole number                        1
//   "iNonThemeStyle"     whole number                        5
//   "Enabled"            true / false                        true
//   "ShowFocus"          true / false                        false
//   "USeCustomColors"    true / false                        false
//   "BackColor"          "#rrggbb"                           palette button face
//   "HighlightColor"     "#rrggbb"                           palette highlight
//   "FontColor"          "#rrggbb"                           palette button text
//   "FontHighlightColor" "#rrggbb"                           palette button text
//   "ToolTipText"        text                                ""
//   "Tooltiptitle"       text                                ""
//   "ToolTipIcon"        whole number (0 none, 1 information, 2 warning, 3 error)  0
//   "ToolTipType"        whole number (1 balloon)            1
//   "ttBackColor"        "#rrggbb" (#000000: the tip's own)  palette tooltip text
//   "ttForeColor"        "#rrggbb" (#000000: the tip's own)  palette tooltip base
//   "Font"               {"family": "Tahoma", "size": 9.75,  the button's font
//                         "bold": false, "italic": false,
//                         "underline": false, "strikeout": false,
//                         "file": ":/fonts/x.ttf" (optional, loaded first)}
//   "ButtonType"         whole number (1 toggle)             0
//   "Value"              true / false                        false
//   "IconVisible"        true / false                        true
//
// A path is a Qt resource path (":/...") or a file name. The palette
// defaults are looked up when the bag is read or written, so colours stored
// explicitly survive a change of colour scheme. Example, one of the settings
// dialog's buttons:
//
//   {
//     "Icon": ":/settings/ok.png",
//     "Style": 5,
//     "Caption": "        O K",
//     "IconSize": 32,
//     "IconAlign": 1,
//     "iNonThemeStyle": 0,
//     "Tooltiptitle": "",
//     "ToolTipIcon": 0,
//     "ToolTipType": 0,
//     "Font": {"family": "Tahoma", "size": 9.75}
//   }
//
// Load it with StyledButton::loadProperties(":/forms/ok.json", &error).
class ButtonPropertyBag
{
public:
    // A picture entry: the icon and where it came from (empty when stored
    // by value or when there is no picture).
    struct Picture {
        QIcon icon;
        QString source;
    };

    // Parses a bag; on malformed input returns nothing and says why.
    static std::optional<ButtonPropertyBag> fromJson(const QByteArray &json, QString *error);
    static std::optional<ButtonPropertyBag> readFile(const QString &path, QString *error);
    QByteArray toJson() const;
    bool writeFile(const QString &path, QString *error) const;

    bool contains(const QString &key) const;
    // The stored value: int, bool, QString, QColor, Picture, QFont, or for a
    // container's entry its JSON value. Invalid when missing.
    QVariant value(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);
    // Keys in the bag, as spelled.
    QStringList keys() const;

    // Sets every property of the button from the bag, defaults for missing keys.
    void applyTo(StyledButton &button) const;
    // Stores every property of the button, leaving out those at their default.
    void takeFrom(const StyledButton &button);

private:
    struct Entry {
        QString key;
        QVariant value;
    };
    int indexOf(const QString &key) const;
    QList<Entry> m_entries;
};

Q_DECLARE_METATYPE(ButtonPropertyBag::Picture)
