// Everything the robot received, as one zip for the organiser's own records:
// every upload as sent, each version and each refusal, with what the robot
// knows of it.
#pragma once

#include <string>

#include "robot/upload_store.h"

// Writes the zip, received.zip, alone into a fresh folder under `parent`
// (remove the folder once the zip is sent) and returns the zip's path:
//   uploads.csv            one row per upload, oldest first: receipt, time,
//                          e-mail, file name, verdict, call, category, QSO
//                          lines, claimed and computed score, version and
//                          where it stands (checked, replaced, waiting,
//                          declined)
//   uploads/RECEIPT.log    its bytes, unchanged
// Text cells that a spreadsheet would run as a formula are neutralised.
// Throws std::runtime_error (or StoreError) and then leaves nothing behind.
std::string exportReceived(UploadStore& store, const std::string& parent);
