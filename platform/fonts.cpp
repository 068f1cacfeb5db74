#include "platform/fonts.h"

#include <fontconfig/fontconfig.h>

#include <QByteArray>
#include <QSet>

namespace platform {

namespace {

QByteArray xmlText(QByteArray text) {
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
}

// The names of the installed families, as Qt compares them.
QSet<QString> installedFamilies(FcConfig* config) {
    QSet<QString> names;
    const FcFontSet* fonts = FcConfigGetFonts(config, FcSetSystem);
    for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n)
            names.insert(QString::fromUtf8(reinterpret_cast<const char*>(name)).toCaseFolded());
    }
    return names;
}

// The family fontconfig gives a font none of whose families is installed: what its style hint falls back to.
QByteArray fallbackFor(FcConfig* config, const QFont& font) {
    FcPattern* pattern = FcPatternCreate();
    for (const QString& family : font.families().isEmpty() ? QStringList{font.family()} : font.families())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.toUtf8().constData()));
    FcPatternAddString(
        pattern, FC_FAMILY,
        reinterpret_cast<const FcChar8*>(font.styleHint() == QFont::Serif ? "serif" : "sans-serif"));
    FcPatternAddInteger(pattern, FC_WEIGHT, font.bold() ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, font.italic() ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    FcChar8* name = nullptr;
    QByteArray found;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
        found = reinterpret_cast<const char*>(name);
    if (match != nullptr) FcPatternDestroy(match);
    return found;
}

}  // namespace

void UseOnlyFontsFor(const QList<QFont>& fonts) {
    FcConfig* config = FcInitLoadConfigAndFonts();  // as Qt would have it, read from fontconfig's caches
    if (config == nullptr) return;
    const QSet<QString> installed = installedFamilies(config);
    QSet<QByteArray> used;
    for (const QFont& font : fonts) {
        QByteArray family;
        for (const QString& name : font.families().isEmpty() ? QStringList{font.family()} : font.families())
            if (installed.contains(name.toCaseFolded())) {
                family = name.toUtf8();  // Qt takes the first of the list that is installed
                break;
            }
        if (family.isEmpty()) family = fallbackFor(config, font);
        used.insert(family);
    }
    // With no font at all there is nothing to leave out.
    if (!used.contains(QByteArray())) {
        QByteArray rules = "<fontconfig><selectfont><acceptfont>";
        for (const QByteArray& family : used)
            rules += "<pattern><patelt name=\"family\"><string>" + xmlText(family) +
                     "</string></patelt></pattern>";
        rules += "</acceptfont><rejectfont><pattern/></rejectfont></selectfont></fontconfig>";
        if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(rules.constData()),
                                           FcTrue))
            FcConfigBuildFonts(config);  // the rules apply to the fonts read from here on
    }
    FcConfigSetCurrent(config);
    FcConfigDestroy(config);  // the current configuration keeps it
}

}  // namespace platform
