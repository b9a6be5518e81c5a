// kestrion-hidinfo: lists the HID interface entries as Kestrion Config sees them.

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include <json/json.h>

#include "device_link/supported_devices.h"
#include "platform/hid/hid_enumeration.h"

namespace kestrion {
namespace {

constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: kestrion-hidinfo [--json] [--sysfs DIR] [--dev DIR]\n"
    "  --json       print a JSON array instead of one line per interface\n"
    "  --sysfs DIR  read the hidraw class from DIR instead of /sys\n"
    "  --dev DIR    open device nodes in DIR instead of /dev\n";

struct Options {
    bool json = false;
    HidEnvironment environment;
};

struct EntryReport {
    HidInterfaceEntry entry;
    int supportedRow = -1;
    const char* access = "";
};

std::optional<Options> parseArguments(int argc, char** argv, std::string& error)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--sysfs" || arg == "--dev") {
            if (i + 1 >= argc) {
                error = arg + " needs a folder";
                return std::nullopt;
            }
            (arg == "--sysfs" ? options.environment.sysfsRoot : options.environment.devRoot) = argv[++i];
        } else {
            error = "unknown argument: " + arg;
            return std::nullopt;
        }
    }
    return options;
}

const char* accessText(const HidEnvironment& environment, const HidInterfaceEntry& entry)
{
    HidOpenError error = HidOpenError::None;
    const int fd = openHidInterface(environment, entry, O_RDWR, error);
    if (fd >= 0)
        ::close(fd);
    switch (error) {
    case HidOpenError::None: return "ok";
    case HidOpenError::AccessDenied: return "no-rights";
    case HidOpenError::NotFound: return "missing";
    case HidOpenError::Failed: break;
    }
    return "failed";
}

EntryReport describe(const HidEnvironment& environment, HidInterfaceEntry entry)
{
    EntryReport report;
    report.supportedRow = findSupportedRow({entry.vendorId, entry.productId, entry.interfaceNumber,
                                            entry.collectionNumber, entry.collection.usagePage,
                                            entry.collection.usage});
    report.access = accessText(environment, entry);
    report.entry = std::move(entry);
    return report;
}

std::string formatLine(const EntryReport& r)
{
    const HidInterfaceEntry& e = r.entry;
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s vid=%04x pid=%04x ver=%04x mi=%02x col=%02x page=%04x usage=%04x in=%u out=%u feature=%u ",
                  e.path.c_str(), e.vendorId, e.productId, e.versionNumber, e.interfaceNumber, e.collectionNumber,
                  e.collection.usagePage, e.collection.usage, e.collection.inputReportLength,
                  e.collection.outputReportLength, e.collection.featureReportLength);
    const std::string row = r.supportedRow < 0 ? "-" : std::to_string(r.supportedRow);
    return text + ("supported=" + row) + " access=" + r.access;
}

Json::Value toJson(const EntryReport& r)
{
    const HidInterfaceEntry& e = r.entry;
    Json::Value value(Json::objectValue);
    value["path"] = e.path;
    value["vendor"] = e.vendorId;
    value["product"] = e.productId;
    value["version"] = e.versionNumber;
    value["interface"] = e.interfaceNumber;
    value["collection"] = e.collectionNumber;
    value["usagePage"] = e.collection.usagePage;
    value["usage"] = e.collection.usage;
    value["inputLength"] = e.collection.inputReportLength;
    value["outputLength"] = e.collection.outputReportLength;
    value["featureLength"] = e.collection.featureReportLength;
    value["supportedRow"] = r.supportedRow < 0 ? Json::Value() : Json::Value(r.supportedRow);
    value["access"] = r.access;
    return value;
}

void print(const std::vector<EntryReport>& reports, bool json)
{
    if (!json) {
        for (const EntryReport& r : reports)
            std::cout << formatLine(r) << '\n';
        return;
    }
    Json::Value array(Json::arrayValue);
    for (const EntryReport& r : reports)
        array.append(toJson(r));
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    std::cout << Json::writeString(builder, array) << '\n';
}

int run(int argc, char** argv)
{
    std::string error;
    const std::optional<Options> options = parseArguments(argc, argv, error);
    if (!options) {
        std::cerr << "kestrion-hidinfo: " << error << '\n' << kUsage;
        return kExitUsage;
    }
    std::vector<HidInterfaceEntry> entries;
    if (!enumerateHidInterfaces(options->environment, entries))
        std::cerr << "kestrion-hidinfo: the HID interface list is incomplete\n";
    std::vector<EntryReport> reports;
    for (HidInterfaceEntry& entry : entries)
        reports.push_back(describe(options->environment, std::move(entry)));
    print(reports, options->json);
    return 0;
}

}  // namespace
}  // namespace kestrion

int main(int argc, char** argv)
{
    return kestrion::run(argc, argv);
}
