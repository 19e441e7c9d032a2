-- Included by name in any case; its own includes look next to it first.
swordLoaded = true
include("util.lua")
include("Shield.lua")
