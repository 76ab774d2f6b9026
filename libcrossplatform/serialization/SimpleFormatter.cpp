#include "serialization/SimpleFormatter.h"

namespace Dump {

void SimpleFormatter::tabs() {
    for (int32_t i = 0; i < _level; ++i) *_out << '\t';
}

void SimpleFormatter::endLine() { *_out << std::endl; }

void SimpleFormatter::write(const char* name, std::ostringstream& text) {
    write(name, text.str().c_str());
    text.str("");
    text.clear();
}

void SimpleFormatter::line(std::ostringstream& text) {
    line(text.str().c_str());
    text.str("");
    text.clear();
}

void SimpleFormatter::write(const char* name, const char* text) {
    tabs();
    *_out << (name ? name : "NULL") << ' ' << (text ? text : "NULL");
    endLine();
}

void SimpleFormatter::write(const char* name, const void* v) {
    tabs();
    *_out << (name ? name : "NULL") << " 0x" << v;
    endLine();
}

void SimpleFormatter::value(const void* v) {
    tabs();
    *_out << "0x" << v;
    endLine();
}

void SimpleFormatter::value(bool v) {
    *_out << (v ? 1 : 0);
    endLine();
}

void SimpleFormatter::value(const std::string& v) {
    tabs();
    *_out << (v.empty() ? "NULL" : v);
    endLine();
}

void SimpleFormatter::line(const char* text) {
    tabs();
    *_out << (text ? text : "NULL");
    endLine();
}

void SimpleFormatter::namedHex(const char* name, uint64_t v) {
    tabs();
    *_out << (name ? name : "NULL") << " 0x" << std::hex << v << std::dec;
    endLine();
}

void SimpleFormatter::bareHex(uint64_t v) {
    tabs();
    *_out << "0x" << std::hex << v << std::dec;
    endLine();
}

}  // namespace Dump
