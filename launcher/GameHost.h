// The host name of the game's web server: where the launcher downloads from, and the web site.
#pragma once

// The build's VELMORA_GAME_HOST. Test builds let VELMORA_TEST_GAME_HOST in the environment
// name another host, so that end-to-end tests can send the launcher to a server that misbehaves
// or to an address where nothing listens.
const char* GameHost();
