#pragma once

// The program's version resource: product name "Orbivane", product and file version (the build's
// version number), company and legal copyright, in one string table for U.S. English in Unicode
// (translation 0409, code page 04b0). RegisterVersionResource() gives it to the running program
// at start-up, where the About box reads it back.

// The build's version number, as "1.0.0".
extern const char ProgramVersion[];
// The copyright line of the version resource.
extern const char ProgramCopyright[];

void RegisterVersionResource();
