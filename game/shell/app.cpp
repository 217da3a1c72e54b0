// app.cpp - placeholder until the game object lands.
