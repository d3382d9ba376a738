/*
 * password_scan.h: where a test's passwords may lie in clear once it ran.
 *
 * A test names the passwords it uses; at its end ExpectNoClearPasswords
 * reads every file written since then under the temporary folder, in the
 * configuration's folder and in the folders the test added, and fails the
 * test for each password found there in UTF-8 or UTF-16LE.  Allowed are
 * only the files the test registered (input it wrote itself, a plain
 * export it asked for) and, in the PuTTY double's logs, the password as
 * PuTTY was given it: after -pw on its command line (mode 4) or read from
 * its -pwfile.
 */
#ifndef KESTRUM_TESTS_PASSWORD_SCAN_H
#define KESTRUM_TESTS_PASSWORD_SCAN_H

#include <string>
#include <vector>

/* From now on these passwords are looked for; files written from now on
 * are read. */
void WatchPasswords(const std::vector<std::string> &passwords);
/* A file that holds a password in clear by the test's own wish. */
void AllowClearFile(const std::string &path);
/* A folder outside the temporary one to read as well. */
void WatchFolder(const std::string &path);

/* Each place a watched password lies in clear against the rules, as
 * "path: password (encoding, what)", the files alsoAllowed left out;
 * changes nothing. */
std::vector<std::string> ClearPasswordsFound(const std::vector<std::string> &alsoAllowed = {});
/* Fails the running test for each of those, then forgets the passwords,
 * the allowed files and the folders. */
void ExpectNoClearPasswords();

#endif
