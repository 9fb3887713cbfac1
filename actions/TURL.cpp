#include "actions/TURL.h"

namespace larkspur {

std::string_view urlPrefix(TURLType type)
{
    switch (type) {
    case TURLType::utFile: return "file://";
    case TURLType::utFtp: return "ftp://";
    case TURLType::utGopher: return "gopher://";
    case TURLType::utHttp: return "http://";
    case TURLType::utHttps: return "https://";
    case TURLType::utMailto: return "mailto:";
    case TURLType::utNews: return "news:";
    case TURLType::utTelnet: return "telnet:";
    case TURLType::utWais: return "wais:";
    }
    return "http://";
}

TURL::TURL(ProcessLauncher& launcher) : m_launcher(launcher) {}

std::string TURL::fullAddress() const
{
    return std::string(urlPrefix(m_urlType)) + m_url;
}

bool TURL::OpenURL()
{
    if (m_url.empty())
        return false;
    // The address is one argument; its prefix keeps it from being read as an
    // option of the opener.
    const SpawnResult r = m_launcher.spawn({"xdg-open", fullAddress()});
    if (r.pid <= 0)
        return false;
    const std::optional<int> status = m_launcher.waitExit(r.pid, m_openTimeout);
    return !status || *status == 0;
}

} // namespace larkspur
