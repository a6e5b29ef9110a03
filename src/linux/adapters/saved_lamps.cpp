#include "linux/adapters/saved_lamps.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace vr::lx {

namespace {

constexpr const char* kHeader = "vigilamp lamp maps 1";

}  // namespace

bool writeSavedLamps(const std::string& path, const std::vector<SavedLamp>& lamps) {
    std::ostringstream text;
    text << kHeader << '\n';
    for (const auto& lamp : lamps) {
        if (lamp.name.empty() || lamp.name.find_first_of("\t\r\n") != std::string::npos) return false;
        text << lamp.name << '\t' << lamp.flags << ' ' << lamp.whichGroups << ' ' << lamp.groups << ' '
             << lamp.whichMods << ' ' << lamp.mods << ' ' << lamp.realMods << ' ' << lamp.vmods << ' '
             << lamp.ctrls << ' ' << (lamp.heldOn ? 1 : 0) << '\n';
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    // On disk before the maps change: a power cut mid-alert is a kill too.
    if (FILE* f = std::fopen(temporary.c_str(), "rb")) {
        ::fsync(fileno(f));
        std::fclose(f);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<std::vector<SavedLamp>> readSavedLamps(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line != kHeader) return std::nullopt;
    std::vector<SavedLamp> lamps;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == 0 || tab == std::string::npos) return std::nullopt;
        SavedLamp lamp;
        lamp.name = line.substr(0, tab);
        std::istringstream numbers(line.substr(tab + 1));
        unsigned heldOn = 2;
        numbers >> lamp.flags >> lamp.whichGroups >> lamp.groups >> lamp.whichMods >> lamp.mods >> lamp.realMods >>
            lamp.vmods >> lamp.ctrls >> heldOn;
        std::string rest;
        if (!numbers || heldOn > 1 || (numbers >> rest)) return std::nullopt;
        lamp.heldOn = heldOn == 1;
        lamps.push_back(std::move(lamp));
    }
    return lamps;
}

}  // namespace vr::lx
