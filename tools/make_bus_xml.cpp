// Writes the running Varcel's D-Bus interface description for those who
// write clients: the template with the settings' properties written in
// where it names them, as the program's own introspection gives them.
//
//   make_bus_xml TEMPLATE OUTPUT
#include "service/dbus_names.h"
#include "service/service_core.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_bus_xml TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::stringstream text;
    text << in.rdbuf();
    std::string xml = text.str();
    const std::string mark = varcel::bus::kSettingPropertiesMark;
    const std::size_t at = xml.find(mark);
    if (at == std::string::npos) {
        std::cerr << "make_bus_xml: " << argv[1] << " does not name where the settings' properties go\n";
        return 1;
    }
    xml.replace(at, mark.size(), varcel::settingPropertiesXml());
    std::ofstream out(argv[2]);
    out << xml;
    return out.good() ? 0 : 1;
}
