#include "platform/qt/fonts.h"

namespace morvane::qt {

namespace {

constexpr double kDefaultPoints = 9;

QFont MakeFont(const char* face, double points) {
    QFont font(QString::fromUtf8(face));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

void InstallFontSubstitutions() {
    QFont::insertSubstitution(QString::fromUtf8(kSimSunFace), QStringLiteral("AR PL UMing CN"));
    QFont::insertSubstitution(QString::fromUtf8(kKaiTiFace), QStringLiteral("AR PL UKai CN"));
}

QFont DefaultWindowFont() { return MakeFont(kSimSunFace, kDefaultPoints); }

QFont FontFor(const FontSpec& font) {
    switch (font.face) {
        case FontFace::SimSun:
            return MakeFont(kSimSunFace, font.points);
        case FontFace::KaiTi:
            return MakeFont(kKaiTiFace, font.points);
        case FontFace::Default:
            break;
    }
    return DefaultWindowFont();
}

}  // namespace morvane::qt
