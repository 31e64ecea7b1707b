#include "ui/qt/toolkit_start.h"

#include <QDBusConnection>
#include <QtGlobal>
#include <QString>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace mirutoka::ui::qt {
namespace {

constexpr const char* no_display_line =
    "mirutoka: デスクトップのセッションに接続できません (DISPLAY も WAYLAND_DISPLAY も使えません)。"
    " / No desktop session could be reached (neither DISPLAY nor WAYLAND_DISPLAY works).\n";

// The platform plugins' own complaints, such as an X server not reached
// while Wayland is: followed by the line above or by a platform that works,
// they would only confuse whoever reads standard error.
bool is_display_search(const QMessageLogContext& context) {
    return context.category != nullptr && QByteArray(context.category).startsWith("qt.qpa.");
}

void handle_message(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && message.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        std::fputs(no_display_line, stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (type != QtFatalMsg && is_display_search(context)) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// The faces fontconfig falls back through for `font`, best first, each one
// adding characters the ones before it lack.
void add_fallbacks(const char* font, std::vector<FcPattern*>& faces, std::set<FcPattern*>& added) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(font));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    for (int i = 0; sorted != nullptr && i < sorted->nfont; ++i) {
        if (!added.insert(sorted->fonts[i]).second) continue;
        FcPatternReference(sorted->fonts[i]);
        faces.push_back(sorted->fonts[i]);
    }
    if (sorted != nullptr) FcFontSetDestroy(sorted);
}

// Qt lists every installed face the first time it needs a font and registers
// each one: thousands on a desktop with the Noto families, which made the
// start grow with the fonts a machine has. Qt's font here is "Sans Serif"
// (the program does not read the desktop's settings), and the faces it can
// ever take are those fontconfig falls back through for it, in Japanese and
// in the session's language: tens. With the same rules and only those faces
// fontconfig gives Qt the very same matches; and as the lists keep every face
// that adds characters, any text, a path in any script included, still
// finds its glyphs.
std::vector<FcPattern*> faces_the_window_can_use() {
    std::vector<FcPattern*> faces;
    std::set<FcPattern*> added;
    add_fallbacks("Sans Serif:lang=ja", faces, added);
    add_fallbacks("Sans Serif", faces, added);
    return faces;
}

// The configuration is this process's alone: a program it starts reads its own.
void keep_only(std::vector<FcPattern*>& faces) {
    FcFontSet* installed = FcConfigGetFonts(nullptr, FcSetSystem);
    if (installed == nullptr || faces.empty()) return;
    for (int i = 0; i < installed->nfont; ++i) FcPatternDestroy(installed->fonts[i]);
    installed->nfont = 0;
    for (FcPattern* face : faces) FcFontSetAdd(installed, face);
    faces.clear();
}

}  // namespace

ToolkitEnvironment::ToolkitEnvironment() {
    // Qt 6.8 reads the first, and the second only without it; Qt 6.4 only the second.
    qputenv("QT_IM_MODULES", "none");
    qputenv("QT_IM_MODULE", "none");
    constexpr const char* no_frame = "QT_WAYLAND_DISABLE_WINDOWDECORATION";
    took_the_frame_ = !qEnvironmentVariableIsSet(no_frame) && qputenv(no_frame, "1");
}

// With neither display named, X11 is asked for anyway and fails, with the line above.
ToolkitArguments::ToolkitArguments() {
    values_[0] = name_.data();
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) platforms_ = "wayland";
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || platforms_.empty()) platforms_ += platforms_.empty() ? "xcb" : ";xcb";
    values_[1] = platform_option_.data();
    values_[2] = platforms_.data();
    count_ = 3;
}

// The thread only reads the configuration, which fontconfig lets any number
// of threads do at once; the one change to it, the trimming, is made on the
// thread that runs Qt, between Qt's start and its first text.
FontConfigurationLoad::FontConfigurationLoad()
    : thread_([this] {
          FcInit();
          faces_ = faces_the_window_can_use();
      }) {}

FontConfigurationLoad::~FontConfigurationLoad() {
    if (thread_.joinable()) thread_.join();
    for (FcPattern* face : faces_) FcPatternDestroy(face);
}

void FontConfigurationLoad::wait() {
    if (!thread_.joinable()) return;
    thread_.join();
    keep_only(faces_);
}

// QDBusConnection may be used from any thread; the connection is Qt's own,
// the one it hands the bridge.
SessionBusConnection::SessionBusConnection() : thread_([] { QDBusConnection::sessionBus(); }) {}

void explain_missing_display() { qInstallMessageHandler(handle_message); }

}  // namespace mirutoka::ui::qt
