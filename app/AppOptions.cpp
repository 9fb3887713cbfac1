#include "app/AppOptions.h"

namespace larkspur {

AppOptions parseAppOptions(const QStringList& arguments)
{
    AppOptions options;
    auto valueOf = [&](int& i, const QString& name) -> std::optional<std::string> {
        if (i + 1 >= arguments.size()) {
            options.error = "option " + name.toStdString() + " needs a value";
            return std::nullopt;
        }
        return arguments.at(++i).toStdString();
    };
    for (int i = 1; i < arguments.size() && options.error.empty(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--input"))
            options.inputFile = valueOf(i, argument);
        else if (argument == QLatin1String("--device"))
            options.device = valueOf(i, argument);
        else if (argument == QLatin1String("--screenshot-dir"))
            options.screenshotDir = valueOf(i, argument);
        else if (argument == QLatin1String("--realtime"))
            options.realTime = true;
        else
            options.arguments.push_back(argument.toStdString());
    }
    if (options.error.empty() && options.inputFile && options.device)
        options.error = "give either --input or --device, not both";
    if (options.error.empty() && options.realTime && !options.inputFile)
        options.error = "--realtime only applies to --input";
    return options;
}

} // namespace larkspur
