// Stands in for Naver Analytics' wcslog.js. The page fills wcs_add with its
// account, calls wcs.inflow() and wcs_do(), and builds conversion data with
// wcs.cnv(); all of these are accepted and nothing is sent.
(function() {
    'use strict';
    var noop = function() {};

    window.wcs_add = window.wcs_add || {};
    window.wcs_do = noop;
    window.wcs = {
        inflow: noop,
        // cnv(type, value) returns the conversion record the page hands to wcs_do().
        cnv: function(type, value) {
            return String(type === undefined ? '' : type) + ',' +
                String(value === undefined ? '' : value);
        },
    };
})();
