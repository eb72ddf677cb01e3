#pragma once
// Web pages leave the program through here and nowhere else. Addresses come
// from the web service, "run.ini" and the news ticker, so only http and https
// addresses are ever handed to the shell: anything else could start a local
// program or open a document.
#include <functional>
#include <string>

// Opens an address; true when it was handed on. Controls that open pages hold
// one, so that tests replace it and no browser is ever started by a test.
using UrlOpener = std::function<bool(const std::string& url)>;

// Only "http://" and "https://" addresses (any letter case) with something after the scheme.
bool IsWebUrl(const std::string& url);

// The address as one command-line argument: in double quotes, so that an
// address with blanks stays one argument; a quote inside it would end the
// argument early and is left out.
std::string QuotedPageArgument(const std::string& url);

// Starts the system browser ("iexplore.exe", verb "open", SW_SHOW) with the
// address as its quoted argument. False for an address that is not a web
// address or when the shell refuses.
bool OpenPageInBrowser(const std::string& url);

// Hands the address itself to the shell's "open" verb, which starts whatever
// browser the user chose. False as above.
bool OpenPageWithShell(const std::string& url, int showCommand);
