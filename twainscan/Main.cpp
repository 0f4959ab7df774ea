// twainscan: acquires images from a TWAIN data source from the command line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "twainscan/EventPump.h"
#include "twainscan/ExitStatus.h"
#include "twainscan/Negotiation.h"
#include "twainscan/ScanJob.h"
#include "twainscan/ScanOptions.h"
#include "twainscan/Text.h"
#include "twainscan/TwainNames.h"
#include "twainscan/TwainSession.h"

namespace {

void PrintSource(const TW_IDENTITY& id)
{
    printf("\"%s\" by %s, version %u.%u (%s), TWAIN %u.%u\n", id.ProductName, id.Manufacturer, id.Version.MajorNum,
           id.Version.MinorNum, id.Version.Info, id.ProtocolMajor, id.ProtocolMinor);
    // Redirected output is fully buffered: what was printed must survive a later crash.
    fflush(stdout);
}

int ListSources(CTwainSession& session)
{
    std::vector<TW_IDENTITY> sources = session.ListSources();
    if (sources.empty())
        return Fail(EXIT_NO_SOURCE, "no TWAIN data source found");
    for (const TW_IDENTITY& id : sources)
        PrintSource(id);
    return EXIT_OK;
}

int ChooseSource(CTwainSession& session, const std::string& sName, TW_IDENTITY* pIdentity)
{
    if (sName.empty()) {
        if (!session.DefaultSource(pIdentity))
            return Fail(EXIT_NO_SOURCE, "no TWAIN data source found");
        return EXIT_OK;
    }
    for (const TW_IDENTITY& id : session.ListSources()) {
        if (_stricmp(id.ProductName, sName.c_str()) == 0) {
            *pIdentity = id;
            return EXIT_OK;
        }
    }
    return Fail(EXIT_NO_SOURCE, "no TWAIN data source named \"" + sName + "\" (see -L)");
}

void PrintPages(const std::vector<SPageReport>& pages)
{
    for (size_t i = 0; i < pages.size(); ++i) {
        const SPageReport& page = pages[i];
        printf("page %zu: %d x %d pixels, %d x %d dpi, %d bits, %zu bytes, %s\n", i + 1, page.nWidth, page.nHeight,
               page.nXRes, page.nYRes, page.nBitsPerPixel, page.nBytes, page.sFile.c_str());
        fflush(stdout);
    }
}

int Run(const SScanOptions& options)
{
    CEventPump pump;
    CTwainSession session(options.bVerbose);
    std::wstring sManager = Widen(options.sManager);
    if (!session.LoadManager(sManager))
        return Fail(EXIT_NO_MANAGER, "cannot load the TWAIN source manager " +
                                         (options.sManager.empty() ? std::string("TWAINDSM.dll") : options.sManager));
    if (!session.OpenManager(options.bNoWindow ? nullptr : pump.Window()))
        return Fail(EXIT_NO_MANAGER, "the TWAIN source manager did not open: " +
                                         std::string(ConditionCodeText(session.LastCondition())));
    if (options.bList)
        return ListSources(session);
    TW_IDENTITY source{};
    if (int nStatus = ChooseSource(session, options.sDevice, &source); nStatus != EXIT_OK)
        return nStatus;
    if (!session.OpenSource(source)) {
        TW_UINT16 wCc = session.LastCondition();
        return Fail(EXIT_OPEN_REFUSED, std::string("the source \"") + source.ProductName + "\" refused to open: " +
                                           ConditionCodeText(wCc) + " (" + ConditionCodeName(wCc) + ")");
    }
    if (options.bListCaps) {
        ListCapabilities(session);
        return EXIT_OK;
    }
    std::vector<TW_UINT16> touched;
    if (int nStatus = Negotiate(session, options, &touched); nStatus != EXIT_OK)
        return nStatus;
    if (options.bNegotiateOnly) {
        ReportCapabilities(session, touched);
        return EXIT_OK;
    }
    std::vector<SPageReport> pages;
    int nStatus = RunScan(session, pump, options, &pages);
    PrintPages(pages);
    return nStatus;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // A headless run must never wait for a click on a crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Narrow(argv[i]));
    SParseResult parsed = ParseOptions(args);
    if (!parsed.bOk)
        return Fail(EXIT_USAGE, parsed.sError);
    if (parsed.options.bHelp) {
        fputs(UsageText().c_str(), stdout);
        return EXIT_OK;
    }
    int nStatus = Run(parsed.options);
    fflush(stdout);
    return nStatus;
}
