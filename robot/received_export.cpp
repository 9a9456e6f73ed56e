#include "robot/received_export.h"

#include <filesystem>
#include <sstream>

#include "base/whole_file.h"
#include "contest/text.h"
#include "robot/robot_config.h"
#include "robot/run_folder.h"

namespace fs = std::filesystem;

namespace {

const char* standingName(const StoredUpload& upload)
{
    if (!upload.accepted)
        return "";
    switch (upload.standing) {
    case VersionStanding::Checked:
        return "checked";
    case VersionStanding::Replaced:
        return "replaced";
    case VersionStanding::Waiting:
        return "waiting";
    case VersionStanding::Declined:
        break;
    }
    return "declined";
}

std::string uploadsCsv(const std::vector<StoredUpload>& uploads)
{
    std::ostringstream csv;
    csv << "receipt,received_utc,email,file_name,verdict,callsign,category,qso_lines,claimed_score,"
           "computed_score,version,standing\r\n";
    for (const StoredUpload& upload : uploads)
        csv << upload.receipt << ',' << formatUtcSecond(upload.receivedAt) << ',' << csvCell(upload.email) << ','
            << csvCell(upload.fileName) << ',' << (upload.accepted ? "accepted" : "refused") << ','
            << csvCell(upload.callsign) << ',' << csvCell(upload.category) << ',' << upload.qsoLines << ','
            << (upload.claimedScore ? std::to_string(*upload.claimedScore) : "") << ',' << upload.computedScore << ','
            << (upload.accepted ? std::to_string(upload.version) : "") << ',' << standingName(upload) << "\r\n";
    return csv.str();
}

}  // namespace

std::string exportReceived(UploadStore& store, const std::string& parent)
{
    fs::create_directories(parent);
    const fs::path folder = fs::path(parent) / createFreshFolder(parent, "received");
    const std::string zipPath = (folder / "received.zip").string();
    try {
        const std::vector<StoredUpload> uploads = store.everyUpload();
        fs::create_directories(folder / "uploads");
        writeWholeFile(folder / "uploads.csv", uploadsCsv(uploads));
        for (const StoredUpload& upload : uploads)
            writeWholeFile(folder / "uploads" / (upload.receipt + ".log"), store.originalBytes(upload.id));
        zipFolder(folder.string(), zipPath);
        fs::remove_all(folder / "uploads");
        fs::remove(folder / "uploads.csv");
    } catch (...) {
        fs::remove_all(folder);
        throw;
    }
    return zipPath;
}
