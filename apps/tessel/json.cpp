#include "json.h"

#include <cstdio>
#include <span>

#include "document/link.h"
#include "platform/gbk.h"

namespace tessel::cli {
namespace {

void AppendSlots(std::string& out, std::string_view strKey, std::span<const LINKPARAM> slots) {
    out += '"';
    out += strKey;
    out += "\":[";
    bool bFirst = true;
    for (const LINKPARAM& slot : slots) {
        if (!bFirst) out += ',';
        bFirst = false;
        out += "{\"type\":";
        out += std::to_string(slot.nType);
        out += ",\"value\":";
        out += std::to_string(slot.nValue);
        out += ",\"text\":";
        AppendJsonString(out, platform::GbkToUtf8(slot.strText));
        out += '}';
    }
    out += ']';
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    for (const char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendElementJson(std::string& out, const CLink& link) {
    out += "{\"kind\":";
    out += std::to_string(link.m_nKind);
    out += ',';
    AppendSlots(out, "font", link.m_Font);
    out += ',';
    AppendSlots(out, "color", link.m_Color);
    out += ',';
    AppendSlots(out, "footnote", link.m_FootNote);
    out += ',';
    AppendSlots(out, "hotlink", link.m_HotLink);
    out += ',';
    AppendSlots(out, "command", link.m_Command);
    out += '}';
}

}  // namespace tessel::cli
