"""The end-to-end scenarios of Vessmark.scr with Vessmark.dll beside it."""

SCENARIOS = {}
