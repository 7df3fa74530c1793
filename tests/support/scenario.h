// Whole-program scenarios: the headless runner in a fresh process per
// scenario, its report parsed into events.
#pragma once

#include <map>
#include <string>
#include <vector>

struct Event {
    std::map<std::string, std::string> fields;  // values as written, strings unquoted (UTF-8)
    const std::string& operator[](const std::string& key) const;
    bool has(const std::string& key) const { return fields.count(key) > 0; }
    long num(const std::string& key) const;
};

struct RunResult {
    int exit_code = -1;
    std::vector<Event> events;
    std::string stderr_text;
    // Events with this "ev" (and, optionally, this field value).
    std::vector<Event> all(const std::string& ev) const;
    std::vector<Event> all(const std::string& ev, const std::string& key, const std::string& value) const;
    // Texts drawn by windows of a class, in order.
    std::vector<std::string> texts(const std::string& class_name) const;
    // When the first window of a class was created (virtual tick), or -1.
    long created_at(const std::string& class_name) const;
    // The colour of a "pixel" step, by its order among them.
    std::string pixel(size_t index) const;
};

// Runs the program under the headless runner with this script.
RunResult run_scenario(const std::string& script);
// A fresh folder for files a scenario writes.
std::string scratch_dir();
