// Writes a copy of a text file with @KV_FIELD_NAMES@ replaced by the names of
// the template fields, so that files listing them (the shell completion of
// kv7700ctl) are made from the library's table and cannot drift from it.
//
//   kv7700-fill-field-names INPUT OUTPUT
#include <kv7700/template_fields.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Usage: kv7700-fill-field-names INPUT OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  std::stringstream text;
  text << in.rdbuf();
  if (!in) {
    std::cerr << "kv7700-fill-field-names: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string names;
  for (const kv::TemplateField& field : kv::kTemplateFields) {
    names += (names.empty() ? "" : " ") + std::string(field.name);
  }
  std::string out = text.str();
  const std::string marker = "@KV_FIELD_NAMES@";
  const std::size_t at = out.find(marker);
  if (at == std::string::npos) {
    std::cerr << "kv7700-fill-field-names: " << argv[1] << " has no " << marker << "\n";
    return 1;
  }
  out.replace(at, marker.size(), names);
  std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
  file << out;
  file.close();
  if (!file) {
    std::cerr << "kv7700-fill-field-names: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
