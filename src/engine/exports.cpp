#include <string>
#include <string_view>

#include "engine/cwork.h"
#include "engine/testfile.h"
#include "model/archive.h"
#include "platform/formatfloat.h"

namespace {

// What tells the two exports apart. Line ends are as other programs expect
// them from the original: LF, LF CR after the title and the count, and a
// CR before the count.
struct ExportStyle {
    std::string_view title;
    // The signature lines are for the printed protocol, not for a table.
    bool withoutSignatures;
    std::string_view afterNumber;
    std::string_view afterCaption;
    std::string_view countLine;
    std::string_view columns;
    char cell;
};

constexpr ExportStyle kCsv{";;;Протокол испытания №___\n\r", true,        ". ;", ";;;;;;;",
                           "\rКоличество точек ;",           "T;F;L;E\n", ';'};

constexpr ExportStyle kTxt{"Протокол испытания\n\r", false,          ". ", "\t",
                           "\rКоличество точек \t",  "T\tF\tL\tE\n", '\t'};

// Lines are gathered and written in blocks of about this size.
constexpr size_t kBlockBytes = 1 << 16;

bool Exported(const S_Val& r, const ExportStyle& style) {
    if (style.withoutSignatures && (r.name == "sNI" || r.name == "sZL")) return false;
    return r.group != 4 || r.name == "sGO" || r.name == "iTO";
}

std::string ExportValue(const S_Val& r) {
    switch (r.type) {
        case C_Parametr::kInt: {
            const int v = r.intValue != nullptr ? *r.intValue : 0;
            if (!r.items[0].empty()) {
                // An index from a file may point past the choice texts: the
                // number itself is written then.
                if (v >= 0 && v < C_Parametr::kMaxItems && !r.items[static_cast<size_t>(v)].empty())
                    return r.items[static_cast<size_t>(v)];
            }
            return std::to_string(v);
        }
        case C_Parametr::kFloat:
            return platform::FormatFloat("0.000", r.floatValue != nullptr ? *r.floatValue : 0.0);
        case C_Parametr::kText:
            return r.valueText != nullptr ? *r.valueText : std::string();
        default:
            return std::string();
    }
}

bool Export(const std::string& fileName, const MethodEnv& env, const C_Parametr* method,
            const C_Buffer& buffer, const ExportStyle& style) {
    Archive file(MessagesOf(env));
    if (!file.OpenForSave(fileName)) return false;

    std::string text(style.title);
    int line = 1;
    const int records = method != nullptr ? method->Count() : 0;
    for (int i = 0; i < records; ++i) {
        const S_Val& r = *method->Record(i);
        if (!Exported(r, style)) continue;
        text += std::to_string(line++);
        text += style.afterNumber;
        text += r.caption;
        text += style.afterCaption;
        text += ExportValue(r);
        text += '\n';
    }
    const int rows = buffer.GetCount(0);
    text += style.countLine;
    text += std::to_string(rows);
    text += "\n\r";
    text += style.columns;

    for (int j = 0; j < rows && !file.Failed(); ++j) {
        for (int c = 0; c < 4; ++c) {
            text += platform::FormatFloat("0.000", buffer.GetValue(c, j));
            text += style.cell;
        }
        text += '\n';
        if (text.size() >= kBlockBytes) {
            file.WriteText(text);
            text.clear();
        }
    }
    file.WriteText(text);
    file.Close();
    return !file.Failed() && file.CrcOk();
}

}  // namespace

bool C_Work::ExportCsv(const std::string& fileName) {
    return Export(fileName, env_, methods_->Current(), *buffer_, kCsv);
}

bool C_Work::ExportTxt(const std::string& fileName) {
    return Export(fileName, env_, methods_->Current(), *buffer_, kTxt);
}
