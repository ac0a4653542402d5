#include "buttonpropertybag.h"

#include "buttoncolors.h"
#include "styledbutton.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

#include <cmath>
#include <limits>

namespace
{

enum class Kind { Integer, Short, Boolean, Text, Colour, Picture, Font };

struct KeyInfo {
    const char *key;
    Kind kind;
};

// In the order they are written.
constexpr KeyInfo Keys[] = {
    {"Icon", Kind::Picture},
    {"Style", Kind::Integer},
    {"Caption", Kind::Text},
    {"IconSize", Kind::Short},
    {"CaptionAlign", Kind::Integer},
    {"IconAlign", Kind::Integer},
    {"iNonThemeStyle", Kind::Integer},
    {"Enabled", Kind::Boolean},
    {"ShowFocus", Kind::Boolean},
    {"USeCustomColors", Kind::Boolean},
    {"BackColor", Kind::Colour},
    {"HighlightColor", Kind::Colour},
    {"FontColor", Kind::Colour},
    {"FontHighlightColor", Kind::Colour},
    {"ToolTipText", Kind::Text},
    {"Tooltiptitle", Kind::Text},
    {"ToolTipIcon", Kind::Integer},
    {"ToolTipType", Kind::Integer},
    {"ttBackColor", Kind::Colour},
    {"ttForeColor", Kind::Colour},
    {"Font", Kind::Font},
    {"ButtonType", Kind::Integer},
    {"Value", Kind::Boolean},
    {"IconVisible", Kind::Boolean},
};

const KeyInfo *keyInfoOf(const QString &key)
{
    for (const KeyInfo &info : Keys) {
        if (key.compare(QLatin1String(info.key), Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}

const QString DefaultCaption = QStringLiteral("StyledButton");
constexpr int DefaultStyle = 3;
constexpr int DefaultIconSize = 16;
constexpr int DefaultIconAlign = 1;
constexpr int DefaultNonThemeStyle = 5;
constexpr int DefaultToolTipType = 1;

QString typeName(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("true/false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("text");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("nothing");
    }
}

std::optional<QIcon> loadPicture(const QString &source, QString *why)
{
    QImageReader reader(source);
    if (!reader.canRead()) {
        *why = QStringLiteral("no readable picture at \"%1\"").arg(source);
        return std::nullopt;
    }
    return QIcon(source);
}

// Converts one JSON value to the bag's value for its key, or says why not.
std::optional<QVariant> convert(Kind kind, const QJsonValue &v, QString *why)
{
    auto expected = [&](const char *what) {
        *why = QStringLiteral("expected %1, found %2").arg(QLatin1String(what), typeName(v));
        return std::nullopt;
    };
    switch (kind) {
    case Kind::Integer:
    case Kind::Short: {
        if (!v.isDouble())
            return expected("a whole number");
        const double d = v.toDouble();
        const double lo = kind == Kind::Short ? std::numeric_limits<qint16>::min()
                                              : std::numeric_limits<qint32>::min();
        const double hi = kind == Kind::Short ? std::numeric_limits<qint16>::max()
                                              : std::numeric_limits<qint32>::max();
        if (d != std::floor(d) || d < lo || d > hi) {
            *why = QStringLiteral("%1 is not a whole number from %2 to %3")
                       .arg(d)
                       .arg(qint64(lo))
                       .arg(qint64(hi));
            return std::nullopt;
        }
        return QVariant(int(d));
    }
    case Kind::Boolean:
        if (!v.isBool())
            return expected("true or false");
        return QVariant(v.toBool());
    case Kind::Text:
        if (!v.isString())
            return expected("text");
        return QVariant(v.toString());
    case Kind::Colour: {
        if (!v.isString())
            return expected("a colour \"#rrggbb\"");
        const QString text = v.toString();
        static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (!pattern.match(text).hasMatch()) {
            *why = QStringLiteral("\"%1\" is not a colour \"#rrggbb\"").arg(text);
            return std::nullopt;
        }
        return QVariant(QColor(text));
    }
    case Kind::Picture: {
        ButtonPropertyBag::Picture picture;
        if (v.isNull() || (v.isString() && v.toString().isEmpty()))
            return QVariant::fromValue(picture);
        if (v.isString()) {
            const auto icon = loadPicture(v.toString(), why);
            if (!icon)
                return std::nullopt;
            picture.icon = *icon;
            picture.source = v.toString();
            return QVariant::fromValue(picture);
        }
        if (!v.isObject() || !v.toObject().value(QLatin1String("png")).isString())
            return expected("null, a path or {\"png\": \"...\"}");
        const QByteArray data =
            QByteArray::fromBase64(v.toObject().value(QLatin1String("png")).toString().toLatin1(),
                                   QByteArray::AbortOnBase64DecodingErrors);
        QImage image;
        if (data.isEmpty() || !image.loadFromData(data, "PNG")) {
            *why = QStringLiteral("the stored picture is not a PNG image");
            return std::nullopt;
        }
        picture.icon = QIcon(QPixmap::fromImage(image));
        return QVariant::fromValue(picture);
    }
    case Kind::Font: {
        if (!v.isObject())
            return expected("a font {\"family\": ..., \"size\": ...}");
        const QJsonObject o = v.toObject();
        QString family = o.value(QLatin1String("family")).toString();
        const QJsonValue file = o.value(QLatin1String("file"));
        if (!file.isUndefined()) {
            if (!file.isString()) {
                *why = QStringLiteral("font \"file\" must be a path");
                return std::nullopt;
            }
            const int id = QFontDatabase::addApplicationFont(file.toString());
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (id < 0 || families.isEmpty()) {
                *why = QStringLiteral("no usable font file at \"%1\"").arg(file.toString());
                return std::nullopt;
            }
            if (family.isEmpty())
                family = families.first();
        }
        if (family.isEmpty()) {
            *why = QStringLiteral("font needs a \"family\"");
            return std::nullopt;
        }
        const QJsonValue size = o.value(QLatin1String("size"));
        if (!size.isDouble() || !(size.toDouble() > 0) || size.toDouble() > 1000) {
            *why = QStringLiteral("font needs a \"size\" in points above 0");
            return std::nullopt;
        }
        // One family, as written: QFont(QString) would split it at commas
        // and strip quotes, and the name written back would differ from
        // the one read (even be empty).
        QFont font;
        font.setFamilies({family});
        font.setPointSizeF(size.toDouble());
        for (const char *flag : {"bold", "italic", "underline", "strikeout"}) {
            const QJsonValue f = o.value(QLatin1String(flag));
            if (!f.isUndefined() && !f.isBool()) {
                *why = QStringLiteral("font \"%1\" must be true or false").arg(QLatin1String(flag));
                return std::nullopt;
            }
        }
        font.setBold(o.value(QLatin1String("bold")).toBool());
        font.setItalic(o.value(QLatin1String("italic")).toBool());
        font.setUnderline(o.value(QLatin1String("underline")).toBool());
        font.setStrikeOut(o.value(QLatin1String("strikeout")).toBool());
        return QVariant(font);
    }
    }
    return std::nullopt;
}

QJsonValue toJsonValue(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<ButtonPropertyBag::Picture>()) {
        const auto picture = value.value<ButtonPropertyBag::Picture>();
        if (picture.icon.isNull())
            return QJsonValue(QJsonValue::Null);
        if (!picture.source.isEmpty())
            return picture.source;
        QSize size(32, 32);
        for (const QSize &s : picture.icon.availableSizes()) {
            if (s.width() * s.height() > size.width() * size.height())
                size = s;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.icon.pixmap(size).toImage().save(&buffer, "PNG");
        return QJsonObject{{QStringLiteral("png"), QString::fromLatin1(png.toBase64())}};
    }
    switch (value.metaType().id()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QColor:
        return value.value<QColor>().name(QColor::HexRgb);
    case QMetaType::QFont: {
        const QFont font = value.value<QFont>();
        QJsonObject o{{QStringLiteral("family"), font.family()},
                      {QStringLiteral("size"), font.pointSizeF()}};
        if (font.bold())
            o.insert(QStringLiteral("bold"), true);
        if (font.italic())
            o.insert(QStringLiteral("italic"), true);
        if (font.underline())
            o.insert(QStringLiteral("underline"), true);
        if (font.strikeOut())
            o.insert(QStringLiteral("strikeout"), true);
        return o;
    }
    default:
        return value.toJsonValue();
    }
}

} // namespace

std::optional<ButtonPropertyBag> ButtonPropertyBag::fromJson(const QByteArray &json, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not a JSON document (at byte %1: %2)")
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    if (!doc.isObject())
        return fail(QStringLiteral("a property bag must be a JSON object"));

    ButtonPropertyBag bag;
    const QJsonObject object = doc.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (bag.indexOf(it.key()) >= 0)
            return fail(QStringLiteral("key \"%1\" is given twice").arg(it.key()));
        const KeyInfo *info = keyInfoOf(it.key());
        if (!info) {
            bag.m_entries.append({it.key(), it.value().toVariant()});
            continue;
        }
        QString why;
        const auto value = convert(info->kind, it.value(), &why);
        if (!value)
            return fail(QStringLiteral("\"%1\": %2").arg(it.key(), why));
        bag.m_entries.append({QLatin1String(info->key), *value});
    }
    return bag;
}

std::optional<ButtonPropertyBag> ButtonPropertyBag::readFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString why;
    auto bag = fromJson(file.readAll(), &why);
    if (!bag && error)
        *error = QStringLiteral("%1: %2").arg(path, why);
    return bag;
}

QByteArray ButtonPropertyBag::toJson() const
{
    // Written by hand so that the keys keep their order.
    QByteArray out = "{\n";
    for (int i = 0; i < m_entries.size(); ++i) {
        const QJsonValue v = toJsonValue(m_entries[i].value);
        QByteArray text = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
        text = text.mid(1, text.size() - 2);
        QByteArray key = QJsonDocument(QJsonArray{m_entries[i].key}).toJson(QJsonDocument::Compact);
        key = key.mid(1, key.size() - 2);
        out += "  " + key + ": " + text + (i + 1 < m_entries.size() ? ",\n" : "\n");
    }
    out += "}\n";
    return out;
}

bool ButtonPropertyBag::writeFile(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

int ButtonPropertyBag::indexOf(const QString &key) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool ButtonPropertyBag::contains(const QString &key) const
{
    return indexOf(key) >= 0;
}

QVariant ButtonPropertyBag::value(const QString &key) const
{
    const int i = indexOf(key);
    return i < 0 ? QVariant() : m_entries[i].value;
}

void ButtonPropertyBag::setValue(const QString &key, const QVariant &value)
{
    const int i = indexOf(key);
    if (i >= 0)
        m_entries[i].value = value;
    else
        m_entries.append({key, value});
}

void ButtonPropertyBag::remove(const QString &key)
{
    const int i = indexOf(key);
    if (i >= 0)
        m_entries.removeAt(i);
}

QStringList ButtonPropertyBag::keys() const
{
    QStringList out;
    for (const Entry &e : m_entries)
        out.append(e.key);
    return out;
}

namespace
{

struct Defaults {
    QColor face, highlight, text, tipText, tipBase;
};

Defaults defaultsNow(const StyledButton &button)
{
    const QPalette p = button.palette();
    return {systemColor(p, SystemColor::ButtonFace), systemColor(p, SystemColor::Highlight),
            systemColor(p, SystemColor::ButtonText), systemColor(p, SystemColor::InfoText),
            systemColor(p, SystemColor::InfoBackground)};
}

} // namespace

void ButtonPropertyBag::applyTo(StyledButton &button) const
{
    const Defaults d = defaultsNow(button);
    auto get = [this](const char *key, const QVariant &fallback) {
        const QVariant v = value(QLatin1String(key));
        return v.isValid() ? v : fallback;
    };
    const QVariant picture = value(QStringLiteral("Icon"));
    const auto pic = picture.isValid() ? picture.value<Picture>() : Picture{};
    if (!pic.source.isEmpty())
        button.setIconFromFile(pic.source);
    else
        button.setIcon(pic.icon);
    button.setStyle(get("Style", DefaultStyle).toInt());
    button.setCaption(get("Caption", DefaultCaption).toString());
    button.setIconSize(qint16(get("IconSize", DefaultIconSize).toInt()));
    button.setCaptionAlign(get("CaptionAlign", 0).toInt());
    button.setIconAlign(get("IconAlign", DefaultIconAlign).toInt());
    button.setNonThemeStyle(get("iNonThemeStyle", DefaultNonThemeStyle).toInt());
    button.setEnabled(get("Enabled", true).toBool());
    button.setShowFocus(get("ShowFocus", false).toBool());
    button.setUseCustomColors(get("USeCustomColors", false).toBool());
    button.setBackColor(get("BackColor", d.face).value<QColor>());
    button.setHighlightColor(get("HighlightColor", d.highlight).value<QColor>());
    button.setFontColor(get("FontColor", d.text).value<QColor>());
    button.setFontHighlightColor(get("FontHighlightColor", d.text).value<QColor>());
    button.setToolTip(get("ToolTipText", button.QWidget::toolTip()).toString());
    button.setToolTipTitle(get("Tooltiptitle", QString()).toString());
    button.setToolTipIcon(get("ToolTipIcon", 0).toInt());
    button.setToolTipType(get("ToolTipType", DefaultToolTipType).toInt());
    // The crossing of text and background colours is the stored default.
    button.setToolTipBackColor(get("ttBackColor", d.tipText).value<QColor>());
    button.setToolTipForeColor(get("ttForeColor", d.tipBase).value<QColor>());
    button.setFont(get("Font", button.font()).value<QFont>());
    button.setButtonType(get("ButtonType", 0).toInt());
    button.setValue(get("Value", false).toBool());
    button.setIconVisible(get("IconVisible", true).toBool());
}

void ButtonPropertyBag::takeFrom(const StyledButton &button)
{
    const Defaults d = defaultsNow(button);
    auto put = [this](const char *key, const QVariant &v, const QVariant &fallback,
                      bool always = false) {
        const bool colours = v.metaType() == QMetaType::fromType<QColor>() &&
                             fallback.metaType() == QMetaType::fromType<QColor>();
        const bool same =
            colours ? v.value<QColor>().rgb() == fallback.value<QColor>().rgb() : v == fallback;
        if (always || !same)
            setValue(QLatin1String(key), v);
        else
            remove(QLatin1String(key));
    };
    put("Icon", QVariant::fromValue(Picture{button.Icon(), button.iconSource()}), {}, true);
    put("Style", button.Style(), DefaultStyle);
    put("Caption", button.Caption(), DefaultCaption);
    put("IconSize", int(button.IconSize()), DefaultIconSize);
    put("CaptionAlign", button.CaptionAlign(), 0);
    put("IconAlign", button.IconAlign(), DefaultIconAlign);
    put("iNonThemeStyle", button.NonThemeStyle(), DefaultNonThemeStyle);
    put("Enabled", button.Enabled(), true);
    put("ShowFocus", button.ShowFocus(), false);
    put("USeCustomColors", button.UseCustomColors(), false);
    put("BackColor", button.BackColor(), d.face);
    put("HighlightColor", button.HighlightColor(), d.highlight);
    put("FontColor", button.FontColor(), d.text);
    put("FontHighlightColor", button.FontHighlightColor(), d.text);
    put("ToolTipText", button.ToolTip(), button.QWidget::toolTip());
    put("Tooltiptitle", button.ToolTipTitle(), QString(), true);
    put("ToolTipIcon", button.ToolTipIcon(), 0, true);
    put("ToolTipType", button.ToolTipType(), DefaultToolTipType, true);
    put("ttBackColor", button.ToolTipBackColor(), d.tipText);
    put("ttForeColor", button.ToolTipForeColor(), d.tipBase);
    put("Font", button.Font(), button.font(), true);
    put("ButtonType", button.ButtonType(), 0);
    put("Value", button.Value(), false);
    put("IconVisible", button.IconVisible(), true);
}
