// Replaces eval() with a function that runs nothing, returns undefined and
// reports nothing: scripts that unpack and run their code through eval() are
// left without it.
(function() {
    'use strict';
    window.eval = function() {};
})();
