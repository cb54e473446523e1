// Writes kestrane-cli's shell completions, from its own option table, into a
// folder, under the names each shell looks for:
//   kestrane_completions DIR   DIR/kestrane-cli (bash), DIR/_kestrane-cli (zsh),
//                              DIR/kestrane-cli.fish (fish)
// The build runs it, and the Debian package installs what it wrote.
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "completion_model.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kestrane_completions DIR\n";
        return 2;
    }
    try {
        const kestrane::cli::CompletionModel model = kestrane::cli::completion_model();
        const std::filesystem::path dir = argv[1];
        std::filesystem::create_directories(dir);
        const std::pair<std::string, std::string> scripts[] = {
            {model.program, kestrane::cli::bash_completion(model)},
            {"_" + model.program, kestrane::cli::zsh_completion(model)},
            {model.program + ".fish", kestrane::cli::fish_completion(model)},
        };
        for (const auto& [name, text] : scripts) {
            std::ofstream file(dir / name, std::ios::binary);
            if (!(file << text && file.flush()))
                throw std::runtime_error("cannot write " + (dir / name).string());
        }
    } catch (const std::exception& e) {
        std::cerr << "kestrane_completions: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
