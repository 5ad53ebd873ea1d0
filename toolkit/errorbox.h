#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace ErrorBox {

// The text the box shows: the message with a full stop added unless its last character
// already is one or sorts before it (so "?" gets one, "," and ")" do not).
QString boxText(const QString &message);

// Shows the standard error box: titled with the application's name, error icon, OK.
// Every error box of the programs goes through here.
void show(const QString &message, QWidget *parent = nullptr);

// Replaces the box with another receiver of the box text (tests capture messages this way).
// An empty function restores the box.
using Sink = std::function<void(const QString &text)>;
void setSink(Sink sink);

} // namespace ErrorBox
