// Draws PASS and every text it and its boxes can show, with the faces the
// program keeps (window-faces) or with every installed face (all-faces), so
// that the two pictures can be compared pixel for pixel; and fails if the
// window's own texts miss a glyph.
// Usage: font_faces_check window-faces|all-faces OUT.png
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "gate/ok_action.h"
#include "support/fakes.h"
#include "ui/pass_window.h"
#include "ui/qt/pass_window.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/toolkit_start.h"

namespace {

using namespace mirutoka;

// An error report can quote a path in any script.
constexpr std::string_view quoted_path =
    "プログラムが見つかりません: /opt/ゲーム/Ελληνικά/עברית/العربية/Кириллица/한국어/中文/ภาษาไทย/हिन्दी";

bool misses_a_glyph(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 glyph : run.glyphIndexes())
            if (glyph == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) return 2;
    std::unique_ptr<ui::qt::FontConfigurationLoad> window_faces;
    if (std::strcmp(argv[1], "window-faces") == 0)
        window_faces = std::make_unique<ui::qt::FontConfigurationLoad>();
    else
        FcInit();
    QApplication::setDesktopSettingsAware(false);
    QApplication application(argc, argv);
    if (window_faces) window_faces->wait();

    testing::FakeFiles files;
    testing::FakeProgramStart program_start;
    testing::FakeMessageBoxes boxes;
    testing::FakeErrorReport report;
    ui::qt::PassWindow PASS({files, program_start, boxes, report});

    const std::vector<std::string_view> window_texts = {ui::PASS_title, ui::Label1.text, ui::Command1.text,
                                                        ui::caps_lock_hint_text};
    std::vector<std::string_view> texts = window_texts;
    for (const gate::Message& message : {gate::M1, gate::M2, gate::M3}) {
        texts.push_back(message.prompt);
        texts.push_back(message.title);
    }
    texts.push_back(gate::untrapped_error_title);
    texts.push_back(quoted_path);

    const QFont font = QApplication::font();
    const int line = QFontMetrics(font).height() + 4;
    QImage picture(640, PASS.height() + line * static_cast<int>(texts.size()) + 8, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, PASS.grab());
    painter.setFont(font);
    int y = PASS.height() + line;
    for (const std::string_view text : texts) {
        painter.drawText(4, y, ui::qt::to_qstring(text));
        y += line;
    }
    painter.end();
    if (!picture.save(QString::fromLocal8Bit(argv[2]))) return 2;

    int failures = 0;
    for (const std::string_view text : window_texts)
        if (misses_a_glyph(ui::qt::to_qstring(text), font)) {
            std::fprintf(stderr, "no glyph for a character of \"%.*s\"\n", static_cast<int>(text.size()), text.data());
            ++failures;
        }
    return failures == 0 ? 0 : 1;
}
