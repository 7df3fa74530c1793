#include "tests/support/scenario.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// The report is flat JSON objects, one a line, written by the headless backend.
Event parse_line(const std::string& line) {
    Event e;
    size_t i = line.find('{');
    if (i == std::string::npos) return e;
    ++i;
    auto read_string = [&](std::string& out) {
        ++i;  // opening quote
        while (i < line.size() && line[i] != '"') {
            if (line[i] == '\\' && i + 1 < line.size()) {
                char c = line[++i];
                if (c == 'n') out += '\n';
                else if (c == 't') out += '\t';
                else if (c == 'r') out += '\r';
                else if (c == 'u' && i + 4 < line.size()) {
                    out += static_cast<char>(std::strtol(line.substr(i + 1, 4).c_str(), nullptr, 16));
                    i += 4;
                } else out += c;
            } else {
                out += line[i];
            }
            ++i;
        }
        ++i;  // closing quote
    };
    while (i < line.size() && line[i] != '}') {
        while (i < line.size() && (line[i] == ',' || line[i] == ' ')) ++i;
        if (line[i] != '"') break;
        std::string key, value;
        read_string(key);
        ++i;  // colon
        if (line[i] == '"') read_string(value);
        else {
            while (i < line.size() && line[i] != ',' && line[i] != '}') value += line[i++];
        }
        e.fields[key] = value;
    }
    return e;
}

}  // namespace

const std::string& Event::operator[](const std::string& key) const {
    static const std::string none;
    auto it = fields.find(key);
    return it == fields.end() ? none : it->second;
}

long Event::num(const std::string& key) const { return std::strtol((*this)[key].c_str(), nullptr, 10); }

std::vector<Event> RunResult::all(const std::string& ev) const {
    std::vector<Event> out;
    for (const Event& e : events)
        if (e["ev"] == ev) out.push_back(e);
    return out;
}

std::vector<Event> RunResult::all(const std::string& ev, const std::string& key, const std::string& value) const {
    std::vector<Event> out;
    for (const Event& e : all(ev))
        if (e[key] == value) out.push_back(e);
    return out;
}

std::vector<std::string> RunResult::texts(const std::string& class_name) const {
    std::vector<std::string> out;
    for (const Event& e : all("text", "class", class_name)) out.push_back(e["text"]);
    return out;
}

long RunResult::created_at(const std::string& class_name) const {
    auto created = all("create", "class", class_name);
    return created.empty() ? -1 : created[0].num("t");
}

std::string RunResult::pixel(size_t index) const {
    auto pixels = all("pixel");
    return index < pixels.size() ? pixels[index]["rgb"] : std::string("(none)");
}

std::string scratch_dir() {
    char dir[] = "/tmp/dorvane-test-XXXXXX";
    return mkdtemp(dir) ? dir : "/tmp";
}

RunResult run_scenario(const std::string& script) {
    std::string dir = scratch_dir();
    std::string script_path = dir + "/script.txt", report_path = dir + "/report.jsonl", err_path = dir + "/stderr";
    std::ofstream(script_path) << script;
    std::string command = std::string("'") + RUNNER + "' '" + script_path + "' --report '" + report_path + "' 2>'" +
                          err_path + "' </dev/null";
    RunResult result;
    int status = std::system(command.c_str());
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream report(report_path);
    for (std::string line; std::getline(report, line);)
        if (!line.empty()) result.events.push_back(parse_line(line));
    std::stringstream err;
    err << std::ifstream(err_path).rdbuf();
    result.stderr_text = err.str();
    return result;
}
