#include "CliDocs.h"

#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include <json/version.h>
#include <libssh/libssh.h>
#include <sqlite3.h>
#include <zlib.h>

namespace kx::cli {

namespace {

std::vector<CLI::App*> visibleCommands(CLI::App& app) {
    return app.get_subcommands([](CLI::App* sub) { return !sub->get_group().empty() && !sub->get_disabled(); });
}

// One line of help text as roff inside a no-fill block: backslashes and leading control characters escaped.
std::string roffLine(const std::string& line) {
    std::string out;
    if (!line.empty() && (line[0] == '.' || line[0] == '\'')) out = "\\&";
    for (char c : line) out += c == '\\' ? std::string("\\e") : std::string(1, c);
    return out;
}

void roffBlock(std::ostringstream& out, const std::string& text) {
    out << ".nf\n";
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out << roffLine(line) << '\n';
    out << ".fi\n";
}

void manCommands(std::ostringstream& out, CLI::App& app, const std::string& path) {
    for (CLI::App* sub : visibleCommands(app)) {
        const std::string name = path + " " + sub->get_name();
        out << ".SS \"" << name << "\"\n";
        roffBlock(out, sub->help(path));
        manCommands(out, *sub, name);
    }
}

struct Level {
    std::vector<std::string> commands;
    std::vector<std::string> options;
};

void collectLevels(CLI::App& app, const std::string& path, std::map<std::string, Level>& levels) {
    Level& level = levels[path];
    for (const CLI::Option* o : app.get_options([](const CLI::Option* opt) { return !opt->get_group().empty(); })) {
        for (const auto& n : o->get_lnames()) level.options.push_back("--" + n);
        for (const auto& n : o->get_snames()) level.options.push_back("-" + n);
    }
    for (CLI::App* sub : visibleCommands(app)) {
        level.commands.push_back(sub->get_name());
        collectLevels(*sub, path + " " + sub->get_name(), levels);
    }
}

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
    return out;
}

}  // namespace

std::string manPage(CLI::App& app, const std::string& version) {
    std::ostringstream out;
    out << ".TH KESTRIX 1 \"\" \"kestrix " << version << "\" \"User Commands\"\n";
    std::string what = app.get_description();
    if (!what.empty() && what[0] >= 'A' && what[0] <= 'Z') what[0] = static_cast<char>(what[0] - 'A' + 'a');
    out << ".SH NAME\nkestrix \\- " << roffLine(what) << '\n';
    out << ".SH SYNOPSIS\n.B kestrix\n\\fICOMMAND\\fR [\\fIOPTIONS\\fR] [\\fIARGUMENTS\\fR]\n";
    out << ".SH DESCRIPTION\n";
    roffBlock(out, app.help());
    out << ".SH COMMANDS\n";
    manCommands(out, app, "kestrix");
    out << ".SH EXIT STATUS\n0 when the whole job was done; 1 when the work failed or did nothing it was asked to (bad "
           "input, a tester's refusal, a failed remote command, nothing matched a filter; the reason is printed on "
           "standard error after \"kestrix:\"); 2 usage error.\n";
    return out.str();
}

std::string bashCompletion(CLI::App& app) {
    std::map<std::string, Level> levels;
    collectLevels(app, "", levels);
    std::ostringstream out;
    out << "# bash completion for kestrix (written by kestrix --bash-completion)\n"
           "_kestrix() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} path=\"\" i\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        case \"$path ${COMP_WORDS[i]}\" in\n";
    for (const auto& [path, level] : levels)
        if (!path.empty()) out << "            \"" << path << "\") path=\"" << path << "\" ;;\n";
    out << "        esac\n"
           "    done\n"
           "    local commands=\"\" options=\"\"\n"
           "    case \"$path\" in\n";
    for (const auto& [path, level] : levels)
        out << "        \"" << path << "\") commands=\"" << joined(level.commands) << "\" options=\""
            << joined(level.options) << "\" ;;\n";
    out << "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
           "    elif [[ -n $commands ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -o filenames -F _kestrix kestrix\n";
    return out.str();
}

std::string versionText() {
    std::string text = std::string("kestrix ") + KESTRIX_VERSION + "\n";
    text += std::string("zlib ") + zlibVersion() + ", JsonCpp " + JSONCPP_VERSION_STRING + ", SQLite " +
            sqlite3_libversion() + ", libssh " + ssh_version(0);
    return text;
}

}  // namespace kx::cli
