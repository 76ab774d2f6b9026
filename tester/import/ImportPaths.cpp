#include "tester/import/ImportPaths.h"

namespace Kestrix::Import {
namespace {

bool reserved(unsigned char c) {
    return c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
           c == '>' || c == '|';
}

// Lower case of a code point in the ranges a tester's names use (Latin-1 and Latin Extended-A), else itself.
uint32_t lowerOf(uint32_t cp) {
    if (cp >= 0xc0 && cp <= 0xde && cp != 0xd7) return cp + 0x20;
    if (cp >= 0x100 && cp <= 0x137 && cp % 2 == 0) return cp + 1;
    if (cp >= 0x139 && cp <= 0x148 && cp % 2 == 1) return cp + 1;
    if (cp >= 0x14a && cp <= 0x177 && cp % 2 == 0) return cp + 1;
    if (cp == 0x178) return 0xff;
    if (cp >= 0x179 && cp <= 0x17e && cp % 2 == 1) return cp + 1;
    return cp;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x800) {
        out.push_back(static_cast<char>(0xc0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    } else {
        out.push_back(static_cast<char>(0xe0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    }
}

// "<stem>~N" of `stem` (both folded), N digits only.
bool counted(const std::string& candidate, const std::string& stem) {
    if (candidate.size() < stem.size() + 2 || candidate.compare(0, stem.size(), stem) != 0) return false;
    if (candidate[stem.size()] != '~') return false;
    return candidate.find_first_not_of("0123456789", stem.size() + 1) == std::string::npos;
}

}  // namespace

std::string safeName(const std::string& name, size_t maxBytes) {
    std::string out;
    for (unsigned char c : name) out += reserved(c) ? '_' : static_cast<char>(c);
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    size_t lead = 0;
    while (lead < out.size() && (out[lead] == '.' || out[lead] == ' ')) ++lead;
    if (lead > 0) out = std::string(lead, '_') + out.substr(lead);
    if (out.size() > maxBytes) {
        size_t cut = maxBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    if (out.empty()) out.push_back('_');
    return out;
}

std::string foldCase(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size();) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c >= 'A' && c <= 'Z') {
            out.push_back(static_cast<char>(c + 32));
            ++i;
            continue;
        }
        // Two-byte sequences cover U+0080..U+07FF, which holds both ranges folded here.
        if (c >= 0xc2 && c <= 0xdf && i + 1 < path.size()) {
            const auto d = static_cast<unsigned char>(path[i + 1]);
            if ((d & 0xc0) == 0x80) {
                appendUtf8(out, lowerOf(uint32_t(c & 0x1f) << 6 | (d & 0x3f)));
                i += 2;
                continue;
            }
        }
        out.push_back(static_cast<char>(c));
        ++i;
    }
    return out;
}

PathPlanner::PathPlanner(const std::vector<std::pair<RecordIdentity, std::string>>& owners,
                         const std::vector<std::string>& existing) {
    for (const auto& [id, stem] : owners) {
        _stemOf.emplace(id, stem);
        _ownerOf.emplace(foldCase(stem), id);
    }
    for (const auto& path : existing) _existing.insert(foldCase(path));
}

std::string PathPlanner::previousStem(const RecordIdentity& id) const {
    const auto it = _stemOf.find(id);
    return it == _stemOf.end() ? std::string() : it->second;
}

std::string PathPlanner::preferredStem(const PlannedRecord& r) {
    std::string top = safeName(r.project);
    // The index sits at the top: a project of that name gets a folder of its own.
    if (foldCase(top) == kIndexName) top += "~2";
    std::string stem = top;
    if (!r.site.empty()) {
        stem.push_back('/');
        stem += safeName(r.site);
    }
    stem.push_back('/');
    stem += safeName(r.cableId);
    return stem;
}

bool PathPlanner::free(const std::string& stem, const RecordIdentity& id) const {
    const std::string folded = foldCase(stem);
    if (_claimed.count(folded)) return false;
    const auto owner = _ownerOf.find(folded);
    if (owner != _ownerOf.end()) return owner->second == id;
    // A file nobody's index speaks for is never replaced: it may be the user's, or an unlisted record's.
    return !_existing.count(folded + ".result") && !_existing.count(folded + ".json");
}

std::vector<std::string> PathPlanner::plan(const std::vector<PlannedRecord>& records) {
    _claimed.clear();
    std::vector<std::string> stems(records.size());
    std::vector<std::string> preferred(records.size());
    // Records that had a stem fitting their names keep it, so re-imports rewrite the same files.
    for (size_t i = 0; i < records.size(); ++i) {
        preferred[i] = preferredStem(records[i]);
        const std::string before = previousStem(records[i].identity);
        if (before.empty()) continue;
        const std::string folded = foldCase(before);
        const std::string want = foldCase(preferred[i]);
        if ((folded == want || counted(folded, want)) && free(before, records[i].identity)) {
            stems[i] = before;
            _claimed.insert(folded);
        }
    }
    // The first free counter of each name, so that many records of one cable id stay linear.
    std::unordered_map<std::string, uint64_t> nextCounter;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!stems[i].empty()) continue;
        const std::string& base = preferred[i];
        std::string stem = base;
        if (!free(stem, records[i].identity)) {
            uint64_t& n = nextCounter.try_emplace(foldCase(base), 2).first->second;
            for (;; ++n) {
                stem = base + "~" + std::to_string(n);
                if (free(stem, records[i].identity)) break;
            }
            ++n;
        }
        stems[i] = stem;
        _claimed.insert(foldCase(stem));
    }
    return stems;
}

}  // namespace Kestrix::Import
