// Open CASCADE reports each transfer on standard output; a command line printing JSON and a
// desktop program have no use for it. While one of these lives, only failures get through.
#pragma once

#include <vector>

#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>

namespace brontile {

class QuietMessages {
public:
    QuietMessages() {
        for (const Handle(Message_Printer) & printer : Message::DefaultMessenger()->Printers()) {
            levels_.push_back(printer->GetTraceLevel());
            printer->SetTraceLevel(Message_Fail);
        }
    }
    QuietMessages(const QuietMessages&) = delete;
    QuietMessages& operator=(const QuietMessages&) = delete;
    ~QuietMessages() {
        std::size_t i = 0;
        for (const Handle(Message_Printer) & printer : Message::DefaultMessenger()->Printers()) {
            if (i < levels_.size()) printer->SetTraceLevel(levels_[i++]);
        }
    }

private:
    std::vector<Message_Gravity> levels_;
};

}  // namespace brontile
