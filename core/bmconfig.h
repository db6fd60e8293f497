// bmconfig: the seven settings both deliverables share, kept in the small
// text file "pickstart.conf".
#pragma once

#include "estring.h"
#include "sigc.h"

class bmconfig : public SigC::Object {
  public:
    eString mountpoint;
    eString selentry;
    eString randomskin;
    eString timeout;
    eString videoformat;
    eString skinpath;
    eString skinname;

    // Defaults, then the file; a missing file is created with the defaults.
    void load();
    // Writes all seven fields; a file that cannot be written is skipped.
    void save();

    // The file as save() writes it.
    eString text() const;
    // Where load() and save() go right now: the flash's copy while the flash
    // partition is reachable at "/tmp/jffs2", the running system's otherwise.
    static const char *path();
};
