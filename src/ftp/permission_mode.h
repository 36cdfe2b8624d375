#pragma once

// Unix permission bits as the FTP panel and SITE CHMOD write them.

// The octal digits of the bits read as a decimal number: 0644 gives 644, 04755 gives 4755, no
// bits give 0. This is the mode text of a SITE CHMOD and the attribute column's number.
int modeNumber(unsigned bits);

// What a permission change leaves an entry with: the nine permission bits chosen, and the
// set-id and sticky bits the entry has. No box shows those, so a change must not drop them.
unsigned changedMode(unsigned chosen, unsigned current);
